#include <gtest/gtest.h>

#include <set>

#include "Utility/MessageCatalogue.h"

namespace {
const std::string kSampleCatalogue = std::string(SMUTIL_SAMPLES_DIR) + "/messages.txt";

std::size_t ErrorLine(std::string_view text) {
  try {
    MessageCatalogue::Parse(text, "bad.txt");
  } catch (const MessageCatalogueError& e) {
    EXPECT_NE(std::string(e.what()).find("bad.txt:" + std::to_string(e.GetLine()) + ": "), std::string::npos)
        << e.what();
    return e.GetLine();
  }
  ADD_FAILURE() << "no error for: " << text;
  return 0;
}
}  // namespace

TEST(MessageCatalogue, ParsesEntriesEscapesAndTypes) {
  const auto cat = MessageCatalogue::Parse(
      "\xEF\xBB\xBF# comment\n\n  100 =  Object %1 in %2.  \r\n"
      "101=100%% done\\nnext\\tcol \\\\ end\n"
      "type 2006 = Logical Column\n",
      "t");
  ASSERT_NE(cat.FindText(100), nullptr);
  EXPECT_EQ(*cat.FindText(100), U"Object %1 in %2.");
  EXPECT_EQ(MessageCatalogue::Format(*cat.FindText(101), {}), U"100% done\nnext\tcol \\ end");
  ASSERT_NE(cat.FindTypeName(2006), nullptr);
  EXPECT_EQ(*cat.FindTypeName(2006), U"Logical Column");
  EXPECT_EQ(cat.FindText(2006), nullptr);
  EXPECT_EQ(cat.MessageIds(), (std::vector<MessageId>{100, 101}));
}

TEST(MessageCatalogue, BadFilesNameTheLine) {
  struct Row {
    std::string text;
    std::size_t line;
  };
  const Row rows[] = {
      {"1 = a\nno equals sign\n", 2},
      {"1 = a\n\n = text\n", 3},
      {"12x = a\n", 1},
      {"99999999999999999999999 = a\n", 1},
      {"1 = a\n2 = b\n1 = c\n", 3},
      {"type 5 = A\ntype 5 = B\n", 2},
      {"type 99999999999 = A\n", 1},
      {"1 = \n", 1},
      {"1 = bad %x\n", 1},
      {"1 = ends with %\n", 1},
      {"1 = bad \\q escape\n", 1},
      {"1 = ok\n2 = bad \xC3\x28 utf8\n", 2},
      {std::string("1 = nul\0here\n", 13), 1},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ErrorLine(r.text), r.line) << r.text;
  }
}

TEST(MessageCatalogue, FormatFillsPlaceholdersAndKeepsMissingOnes) {
  const VXString args[] = {U"A", U"B"};
  EXPECT_EQ(MessageCatalogue::Format(U"%2 then %1, %1", args), U"B then A, A");
  EXPECT_EQ(MessageCatalogue::Format(U"%1 and %3", args), U"A and %3");
  EXPECT_EQ(MessageCatalogue::Format(U"50%% of %1", args), U"50% of A");
  EXPECT_EQ(MessageCatalogue::PlaceholderCount(U"%2 %1 %% %9"), 9);
  EXPECT_EQ(MessageCatalogue::PlaceholderCount(U"none %%1"), 0);
}

// The shipped catalogue must hold every message the library raises, with the
// arguments its callers pass.
TEST(SampleCatalogue, HoldsTheLibraryMessagesWithTheirArguments) {
  const auto cat = MessageCatalogue::LoadFile(kSampleCatalogue);
  struct Row {
    MessageId first, last;
    int args;
  };
  const Row rows[] = {
      {23005, 23005, 1},
      {23006, 23006, 2},
      {23010, 23010, 1},
      {29002, 29002, 0},
      {29005, 29005, 0},
      {29010, 29010, 1},
      {34039, 34039, 2},
      {74084, 74084, 0},
      {74086, 74086, 0},
      // Consistency messages, by the number of objects their texts name.
      {38076, 38077, 0},
      {38181, 38181, 0},
      {38215, 38215, 0},
      {39077, 39077, 0},
      {39086, 39088, 0},
      {39094, 39095, 0},
      {38009, 38009, 1},
      {38016, 38017, 1},
      {38107, 38111, 1},
      {38113, 38117, 1},
      {39097, 39100, 1},
      {39102, 39106, 1},
      {89001, 89001, 1},
      {14041, 14041, 1},
      {14043, 14043, 1},
      {36004, 36004, 1},
      {38034, 38042, 1},
      {38061, 38066, 1},
      {38182, 38186, 1},
      {38014, 38015, 2},
      {38096, 38098, 2},
      {39054, 39055, 2},
      {38008, 38008, 2},
      {38046, 38050, 2},
      {38005, 38005, 2},
      {38141, 38142, 2},
      {38003, 38004, 2},
      {34042, 34042, 2},
      {38201, 38203, 2},
      {38051, 38051, 3},
      {38091, 38092, 3},
      {38074, 38074, 3},
      {38100, 38100, 3},
      {38180, 38180, 3},
      {38173, 38173, 4},
      {39080, 39080, 4},
  };
  for (const Row& r : rows) {
    for (MessageId id = r.first; id <= r.last; ++id) {
      const VXString* text = cat.FindText(id);
      ASSERT_NE(text, nullptr) << id;
      EXPECT_EQ(MessageCatalogue::PlaceholderCount(*text), r.args) << id;
      std::set<char32_t> used;
      for (std::size_t i = 0; i + 1 < text->size(); ++i) {
        if ((*text)[i] == U'%') used.insert((*text)[++i]);
      }
      used.erase(U'%');
      EXPECT_EQ(used.size(), static_cast<std::size_t>(r.args)) << "message " << id << " skips a placeholder";
    }
  }
  for (TypeID t : {2006, 3001, 4010, 3033, 1501}) EXPECT_NE(cat.FindTypeName(t), nullptr) << t;
}
