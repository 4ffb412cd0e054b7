#include <gtest/gtest.h>

#include "Lsp/TextDocument.h"

namespace {

using smutil_lsp::Position;
using smutil_lsp::PositionEncoding;
using smutil_lsp::Range;
using smutil_lsp::TextDocument;

// "é" is two bytes and one UTF-16 unit; "😀" (U+1F600) four bytes and two units.
const std::string kText = "SELECT \xC3\xA9t\xC3\xA9\r\nFROM \xF0\x9F\x98\x80x\rWHERE\nEND";

TEST(TextDocument, PositionsAndOffsetsInBothEncodings) {
  const TextDocument doc(kText, 1);
  EXPECT_EQ(doc.LineCount(), 4u);
  struct Case {
    Position p;
    PositionEncoding encoding;
    std::size_t offset;
  };
  const Case cases[] = {
      {{0, 0}, PositionEncoding::kUtf16, 0},   {{0, 8}, PositionEncoding::kUtf16, 9},  // after "SELECT é"
      {{0, 10}, PositionEncoding::kUtf16, 12},  // the end of line 0, before CR LF
      {{0, 99}, PositionEncoding::kUtf16, 12},  // past the end of the line: its end
      {{1, 5}, PositionEncoding::kUtf16, 19},   // before the emoji
      {{1, 7}, PositionEncoding::kUtf16, 23},   // after it: two units
      {{1, 8}, PositionEncoding::kUtf16, 24},   // after "x", before CR
      {{2, 5}, PositionEncoding::kUtf16, 30},   // "WHERE" then LF
      {{3, 3}, PositionEncoding::kUtf16, 34},  {{9, 0}, PositionEncoding::kUtf16, 34},  // past the last line: the end
      {{0, 9}, PositionEncoding::kUtf8, 9},                                             // bytes
      {{1, 9}, PositionEncoding::kUtf8, 23},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(doc.OffsetOf(c.p, c.encoding), c.offset) << c.p.line << ":" << c.p.character;
  }
  // Inside a character: its start.
  EXPECT_EQ(doc.OffsetOf({1, 6}, PositionEncoding::kUtf16), 19u);
  EXPECT_EQ(doc.OffsetOf({0, 8}, PositionEncoding::kUtf8), 7u);
  EXPECT_EQ(doc.PositionOf(23, PositionEncoding::kUtf16), (Position{1, 7}));
  EXPECT_EQ(doc.PositionOf(21, PositionEncoding::kUtf16), (Position{1, 5}));  // inside the emoji's bytes
  EXPECT_EQ(doc.PositionOf(25, PositionEncoding::kUtf16), (Position{2, 0}));
  EXPECT_EQ(doc.PositionOf(9, PositionEncoding::kUtf8), (Position{0, 9}));
  EXPECT_EQ(doc.PositionOf(1000, PositionEncoding::kUtf16), (Position{3, 3}));
}

TEST(TextDocument, IncrementalChangesApplyInOrder) {
  TextDocument doc("SELECT Orders.Revenu\nFROM Sales", 1);
  struct Step {
    Range range;
    const char* text;
    const char* expected;
  };
  const Step steps[] = {
      {{{0, 20}, {0, 20}}, "e", "SELECT Orders.Revenue\nFROM Sales"},
      {{{1, 5}, {1, 10}}, "\"Sales Analysis\"", "SELECT Orders.Revenue\nFROM \"Sales Analysis\""},
      {{{0, 21}, {1, 0}}, " ", "SELECT Orders.Revenue FROM \"Sales Analysis\""},  // a line break taken out
      {{{0, 6}, {0, 6}}, " DISTINCT\n", "SELECT DISTINCT\n Orders.Revenue FROM \"Sales Analysis\""},
      {{{1, 0}, {0, 6}}, "", "SELECT Orders.Revenue FROM \"Sales Analysis\""},  // start after end: swapped
      {{{0, 0}, {5, 0}}, "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {{{0, 2}, {0, 2}},
       "a",
       "\xF0\x9F\x98\x80"
       "a"},  // after the two units of the emoji
  };
  for (const Step& s : steps) {
    doc.Replace(s.range, s.text, PositionEncoding::kUtf16);
    EXPECT_EQ(doc.Text(), s.expected);
  }
}

}  // namespace
