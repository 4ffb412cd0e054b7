// Caught: the exception of type E that a call throws, for tests that look at
// more than its type (its place, its text, its fields).
//
//   const auto e = testutil::Caught<RpFileError>([&] { RpFile::Load(path); });
//   ASSERT_TRUE(e);
//   EXPECT_EQ(e->GetLine(), 3u);
//
// A call that returns is a test failure (named by what), and no exception.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace testutil {

template <class E, class Fn>
std::optional<E> Caught(Fn&& fn, const std::string& what = "") {
  try {
    fn();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "no exception" << (what.empty() ? "" : " for " + what);
  return std::nullopt;
}

}  // namespace testutil
