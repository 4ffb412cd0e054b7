// Where objects stand in a repository text: lines and columns of each
// <object> element, counted by hand from the texts below.
#include <gtest/gtest.h>

#include <tuple>

#include "Checks/ObjectPlaces.h"

namespace {

VoidID Id(std::uint32_t type, std::uint32_t number) { return VoidID(type, number); }

void ExpectPlace(const ObjectPlaces& places, const VoidID& id, ObjectPlace want) {
  const ObjectPlace* p = places.Find(id);
  ASSERT_NE(p, nullptr) << ToNarrow(id.ToString());
  EXPECT_EQ(std::tie(p->startLine, p->startColumn, p->endLine, p->endColumn),
            std::tie(want.startLine, want.startColumn, want.endLine, want.endColumn))
      << ToNarrow(id.ToString());
}

TEST(ObjectPlaces, LinesAndColumnsOfEachObject) {
  // Line 3: a one-line element of 30 characters from column 3 to its "/>"
  // at columns 31-32.
  // Lines 4-6: an element with content, CR LF line ends, a two-byte "é"
  // that is one column; its end tag ends at column 11 of line 6.
  // Line 7: after a CR alone, a name of three-byte characters.
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<repository format=\"1\" name=\"R\">\n"
      "  <object id=\"3023:1\" name=\"A\"/>\n"
      "  <object id=\"3001:7\" name=\"\xC3\xA9t\xC3\xA9\" parent=\"3023:1\">\r\n"
      "    <alias>old</alias>\r\n"
      "  </object>\r"
      "<object id=\"3003:2\" name=\"\xE6\x97\xA5\xE6\x9C\xAC\" parent=\"3001:7\"/>\n"
      "</repository>\n";
  const ObjectPlaces places(text);
  EXPECT_EQ(places.WhyIncomplete(), "");
  ExpectPlace(places, Id(3023, 1), {3, 3, 3, 33});
  ExpectPlace(places, Id(3001, 7), {4, 3, 6, 12});
  // 47 characters: <object id="3003:2" name="日本" parent="3001:7"/>
  ExpectPlace(places, Id(3003, 2), {7, 1, 7, 48});
  EXPECT_EQ(places.Find(Id(3003, 3)), nullptr);
}

TEST(ObjectPlaces, ATextItCannotSplitKeepsWhatCameBefore) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<repository format=\"1\" name=\"R\">\n"
      "  <object id=\"3023:1\" name=\"A\"/>\n"
      "  <!-- a comment -->\n"
      "  <object id=\"3023:2\" name=\"B\"/>\n"
      "</repository>\n";
  const ObjectPlaces places(text);
  EXPECT_NE(places.WhyIncomplete(), "");
  ExpectPlace(places, Id(3023, 1), {3, 3, 3, 33});
  EXPECT_EQ(places.Find(Id(3023, 2)), nullptr);

  for (const char* broken : {"", "<repository", "not xml at all", "<?xml version=\"1.0\"?>\n<other/>"}) {
    const ObjectPlaces none{std::string_view(broken)};
    EXPECT_NE(none.WhyIncomplete(), "") << broken;
    EXPECT_EQ(none.Find(Id(3023, 1)), nullptr) << broken;
  }
}

}  // namespace
