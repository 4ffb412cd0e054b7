// Every reader's error reads as a compiler's does, leaving out the parts of
// the place it does not know.
#include <gtest/gtest.h>

#include "Utility/MessageCatalogue.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/SourceError.h"

namespace {

TEST(SourceError, ThePlaceIsWrittenAsFarAsItIsKnown) {
  const struct {
    std::uint64_t line, column;
    const char* expected;
  } cases[] = {
      {12, 7, "rules.xml:12:7: unknown element"},
      {12, 0, "rules.xml:12: unknown element"},
      {0, 0, "rules.xml: unknown element"},
      // A column without a line says nothing a reader could find.
      {0, 7, "rules.xml: unknown element"},
  };
  for (const auto& c : cases) {
    const SourceError e("rules.xml", c.line, c.column, "unknown element");
    EXPECT_STREQ(e.what(), c.expected);
    EXPECT_EQ(e.GetMessage(), "unknown element");
  }
  // No input named: nothing to point at, and no stray ": " in front.
  EXPECT_STREQ(SourceError("", 3, 4, "the store is locked").what(), "the store is locked");
}

TEST(SourceError, TheReadersErrorsAreCaughtAsOne) {
  // A host catching the base learns the place of any reader's fault.
  try {
    (void)MessageCatalogue::Parse("38009 = fine\nnot a message line\n", "messages.txt");
    FAIL() << "the second line is not a message";
  } catch (const SourceError& e) {
    EXPECT_EQ(e.GetSource(), "messages.txt");
    EXPECT_EQ(e.GetLine(), 2u);
    EXPECT_EQ(std::string(e.what()).rfind("messages.txt:2: ", 0), 0u) << e.what();
  }
  try {
    (void)SUSystemConfig::Parse("[Nowhere]\nx = 1\n", "smutil.ini", "/");
    FAIL() << "no such section";
  } catch (const SourceError& e) {
    EXPECT_EQ(e.GetSource(), "smutil.ini");
    EXPECT_EQ(e.GetLine(), 1u);
  }
  // The file utility's refusal names the path in its message: no source.
  try {
    (void)SUFileUtility::ReadRegularFile("/nonexistent/rules.xml", "rules file");
    FAIL() << "a missing file was read";
  } catch (const SourceError& e) {
    EXPECT_EQ(e.GetSource(), "");
    EXPECT_STREQ(e.what(), "cannot open the rules file /nonexistent/rules.xml: there is no such file");
  }
}

}  // namespace
