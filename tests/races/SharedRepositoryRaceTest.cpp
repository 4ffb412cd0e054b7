// Session variables set while other threads read them, as display names do
// when they load bundle strings. (Readers of one shared repository are raced
// with sessions, users and a publishing writer in SessionRaceTest.) Built
// into the thread-sanitizer run of CI, which reports any data race.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "objectmodel/ObjectModel.h"

namespace {

constexpr int kThreads = 4;

TEST(SharedRepositoryRaces, SessionVariablesAreSetWhileOthersReadThem) {
  ARpGateway rp;
  rp.SetSessionVariableValue({U"VX_SYSTEM", U"DEFAULT_SUBJECT_AREA"},
                             Heap<PropertyValue>(new PropertyValueString(U"Sales Analysis")));
  constexpr int kVariables = 400;
  std::atomic<int> published{0};  // variables 0 .. published-1 are set
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  // One thread fills variables in, one at a time, as a lazy loader would.
  threads.emplace_back([&] {
    for (int i = 0; i < kVariables; ++i) {
      const VXString name = U"BUNDLE_" + ToVXString(std::to_string(i));
      if (!rp.SetSessionVariableValue({U"NQ_SESSION", name}, Heap<PropertyValue>(new PropertyValueString(name)))) {
        ++failures;
      }
      published.store(i + 1, std::memory_order_release);
    }
  });
  for (int t = 0; t < kThreads - 1; ++t) {
    threads.emplace_back([&] {
      while (published.load(std::memory_order_acquire) < kVariables) {
        const int seen = published.load(std::memory_order_acquire);
        if (rp.GetDefaultSubjectAreaName(false) != U"Sales Analysis") ++failures;
        if (seen == 0) continue;
        // A variable once set reads back in any block and in any case.
        const VXString name = U"bundle_" + ToVXString(std::to_string(seen - 1));
        Heap<PropertyValue> v;
        if (!rp.GetSessionVariableValue({GlobalRpVariables::global_SessionBlockWildcard, name}, v) ||
            v->StringFrom() != U"BUNDLE_" + ToVXString(std::to_string(seen - 1))) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
