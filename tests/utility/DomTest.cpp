#include <gtest/gtest.h>

#include "Utility/SUGDOM.h"
#include "common/Caught.h"
#include "common/ScratchDir.h"

namespace {
// A scratch directory whose files are named as the DOM reader takes them.
struct TempDir : testutil::ScratchDir {
  VXString Write(const std::string& name, const std::string& text) const {
    return ToVXString(ScratchDir::Write(name, text));
  }
};

const char kSchema[] = R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="Rules">
    <xs:complexType><xs:sequence>
      <xs:element name="Rule" maxOccurs="unbounded">
        <xs:complexType><xs:attribute name="prefix" type="xs:string" use="required"/></xs:complexType>
      </xs:element>
    </xs:sequence></xs:complexType>
  </xs:element>
</xs:schema>
)";

}  // namespace

TEST(SUGDOM, ParsesAndValidatesAFile) {
  TempDir dir;
  const VXString xsd = dir.Write("rules.xsd", kSchema);
  const VXString xml = dir.Write("rules.xml", "<Rules>\n  <Rule prefix=\"GL_\"/>\n  <Rule prefix=\"Σ_\"/>\n</Rules>\n");
  SUGDomErrorReporter errors;
  auto doc = SUGDOM::ValidatedParseFileDocument(xml, xsd, errors);
  ASSERT_TRUE(doc) << ToNarrow(errors.GetErrorText());
  EXPECT_EQ(SUGDOM::GetElementName(doc->GetDocumentElement()), U"Rules");
  const auto rules = SUGDOM::GetChildElements(doc->GetDocumentElement());
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(SUGDOM::GetAttribute(rules[1], U"prefix"), U"Σ_");
  EXPECT_EQ(SUGDOM::GetAttribute(rules[1], U"missing"), U"");
}

TEST(SUGDOM, ErrorsCarryLineNumbers) {
  TempDir dir;
  const VXString xsd = dir.Write("rules.xsd", kSchema);
  // Well-formed but invalid: line 3 lacks the required attribute.
  const VXString invalid = dir.Write("invalid.xml", "<Rules>\n  <Rule prefix=\"a\"/>\n  <Rule/>\n</Rules>\n");
  SUGDomErrorReporter errors;
  EXPECT_FALSE(SUGDOM::ValidatedParseFileDocument(invalid, xsd, errors));
  ASSERT_TRUE(errors.HasErrors());
  EXPECT_EQ(errors.GetErrors().front().line, 3u);
  EXPECT_NE(errors.GetErrorText().find(U"invalid.xml:3:"), VXString::npos) << ToNarrow(errors.GetErrorText());

  // Without a schema the same file is fine.
  SUGDomErrorReporter none;
  EXPECT_TRUE(SUGDOM::ValidatedParseFileDocument(invalid, U"", none));

  SUGDomErrorReporter broken;
  EXPECT_FALSE(SUGDOM::ParseMemoryDocument("<a>\n<b>\n</a>", U"mem.xml", U"", broken));
  ASSERT_TRUE(broken.HasErrors());
  EXPECT_EQ(broken.GetErrors().front().line, 3u);

  SUGDomErrorReporter missing;
  EXPECT_FALSE(SUGDOM::ValidatedParseFileDocument(dir.Write("ok.xml", "<Rules/>"), U"/no/such.xsd", missing));
  EXPECT_NE(missing.GetErrorText().find(U"schema"), VXString::npos);
  SUGDomErrorReporter noFile;
  EXPECT_FALSE(SUGDOM::ValidatedParseFileDocument(U"/no/such.xml", U"", noFile));
  EXPECT_TRUE(noFile.HasErrors());
}

TEST(SUGDOM, RefusesEntityExpansionBombs) {
  std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY a \"aaaaaaaaaa\">\n";
  for (char c = 'b'; c <= 'k'; ++c) {
    bomb += std::string("<!ENTITY ") + c + " \"";
    for (int i = 0; i < 10; ++i) bomb += std::string("&") + char(c - 1) + ";";
    bomb += "\">\n";
  }
  bomb += "]>\n<r>&k;</r>\n";
  SUGDomErrorReporter errors;
  EXPECT_FALSE(SUGDOM::ParseMemoryDocument(bomb, U"bomb.xml", U"", errors));
  EXPECT_TRUE(errors.HasErrors());
}

TEST(SUGDOM, TextForTheParserIsExactOrRefused) {
  const VXString t = U"a\U0001F600\uFFFD\u00E9";
  EXPECT_EQ(SUGDOM::ToVXString(SUGDOM::ToXMLString(t).c_str()), t);
  // A NUL would end the text early: refused, not dropped or replaced.
  const auto nul = testutil::Caught<UnencodableTextError>([] { SUGDOM::ToXMLString(VXString(U"a") + U'\0' + U"b"); });
  ASSERT_TRUE(nul);
  EXPECT_EQ(nul->GetPosition(), 1u);
  EXPECT_THROW(SUGDOM::ToXMLString(VXString(1, char32_t(0xD800))), UnencodableTextError);

  // A path cut short by a NUL must not name the file before it.
  TempDir dir;
  const VXString ok = dir.Write("ok.xml", "<Rules/>");
  SUGDomErrorReporter errors;
  EXPECT_FALSE(SUGDOM::ValidatedParseFileDocument(ok + U'\0' + U".bak", U"", errors));
  EXPECT_NE(errors.GetErrorText().find(U"U+0000 at position"), VXString::npos) << ToNarrow(errors.GetErrorText());
  SUGDomErrorReporter badName;
  EXPECT_FALSE(SUGDOM::ParseMemoryDocument("<r/>", VXString(1, char32_t(0x110000)), U"", badName));
  EXPECT_TRUE(badName.HasErrors());
  SUGDomErrorReporter none;
  auto doc = SUGDOM::ValidatedParseFileDocument(ok, U"", none);
  ASSERT_TRUE(doc) << ToNarrow(none.GetErrorText());
  EXPECT_EQ(SUGDOM::GetAttribute(doc->GetDocumentElement(), VXString(1, char32_t(0xD800))), U"");
}

TEST(SUGDOM, PlainPrologIsOnlyOneWithoutADocumentTypeDeclaration) {
  // Plain: declaration, comments, processing instructions and space, in
  // UTF-8 with or without its mark, before the document element.
  for (const char* doc : {"<r/>", "<?xml version=\"1.0\"?>\n<r/>", "\xEF\xBB\xBF<?xml version=\"1.0\"?><r/>",
                          "<?xml version=\"1.0\"?>\n<!-- <!DOCTYPE r> -->\n<?pi x?>\n  <r a=\"1\"/>"}) {
    EXPECT_TRUE(SUGDOM::HasPlainProlog(doc)) << doc;
  }
  // Not plain: a declaration however far down the prolog, another encoding,
  // text, an unfinished comment, nothing at all.
  for (const std::string& doc :
       {std::string("<!DOCTYPE r><r/>"),
        std::string("<?xml version=\"1.0\"?><!-- c --><!DOCTYPE r [<!ENTITY e \"x\">]><r/>"),
        std::string("\xFE\xFF\0<\0r\0/\0>", 10), std::string("<\0r\0/\0>\0", 8), std::string("x<r/>"),
        std::string("<!-- open <r/>"), std::string("<?xml version=\"1.0\"?>"), std::string()}) {
    EXPECT_FALSE(SUGDOM::HasPlainProlog(doc)) << doc;
  }
}
