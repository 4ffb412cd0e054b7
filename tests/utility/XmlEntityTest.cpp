// No XML reader opens what a document names: external entities, external
// DTD subsets and schema locations pointing at a planted local file or at a
// FIFO are refused with their place, and nothing is read from them. The
// DOM reader with a schema is the segment-rules reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <xercesc/util/XMLUni.hpp>

#include "Utility/SUGDOM.h"
#include "common/FifoTrap.h"
#include "common/ScratchDir.h"

namespace {

namespace fs = std::filesystem;

struct Scratch : testutil::ScratchDir {
  const fs::path dir = Dir();
  Scratch() {
    std::ofstream(dir / "secret.txt") << "PLANTED-SECRET";
    std::ofstream(dir / "rules.xsd") << R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="Rules">
    <xs:complexType><xs:sequence>
      <xs:element name="Rule" minOccurs="0" maxOccurs="unbounded">
        <xs:complexType mixed="true"><xs:attribute name="prefix" type="xs:string"/></xs:complexType>
      </xs:element>
    </xs:sequence></xs:complexType>
  </xs:element>
</xs:schema>
)";
    // A schema that would accept anything, for a document to name.
    std::ofstream(dir / "lax.xsd") << R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"><xs:element name="Rules"/></xs:schema>
)";
  }
  VXString Write(const std::string& name, const std::string& text) const {
    return ToVXString(ScratchDir::Write(name, text));
  }
  std::string Url(const std::string& name) const { return "file://" + Path(name); }
};

// Documents that name a resource: where, and how.
std::vector<std::pair<std::string, std::string>> Naming(const std::string& url) {
  return {
      {"entity in content",
       "<!DOCTYPE Rules [<!ENTITY x SYSTEM \"" + url + "\">]>\n<Rules>\n<Rule prefix=\"a\">&x;</Rule></Rules>"},
      {"parameter entity", "<!DOCTYPE Rules [<!ENTITY % p SYSTEM \"" + url + "\"> %p;]>\n<Rules/>"},
      {"external DTD subset", "<!DOCTYPE Rules SYSTEM \"" + url + "\">\n<Rules/>"},
  };
}

TEST(XmlEntities, TheDomReaderOpensNothingADocumentNames) {
  Scratch s;
  testutil::FifoTrap fifo(s.dir / "fifo");
  for (const VXString& schema : {VXString(), ToVXString((s.dir / "rules.xsd").string())}) {
    for (const std::string& url : {s.Url("secret.txt"), fifo.Url()}) {
      for (const auto& [how, text] : Naming(url)) {
        SCOPED_TRACE(how + " naming " + url + (schema.empty() ? "" : " (validated)"));
        SUGDomErrorReporter errors;
        const auto doc = SUGDOM::ValidatedParseFileDocument(s.Write("doc.xml", text), schema, errors);
        const VXString report = errors.GetErrorText();
        if (how == "external DTD subset" && schema.empty()) {
          // Without validation the subset is never asked for.
          EXPECT_TRUE(doc) << ToNarrow(report);
        } else {
          EXPECT_FALSE(doc);
          EXPECT_NE(report.find(ToVXString("'" + url + "', which the document names, is not read")), VXString::npos)
              << ToNarrow(report);
        }
        EXPECT_EQ(report.find(U"PLANTED-SECRET"), VXString::npos);
        if (doc) {
          EXPECT_EQ(SUGDOM::GetTextContent(doc->GetDocumentElement()).find(U"PLANTED"), VXString::npos);
        }
      }
    }
  }
  EXPECT_FALSE(fifo.Opened());
}

TEST(XmlEntities, RefusalsCarryTheLineOfTheReference) {
  Scratch s;
  SUGDomErrorReporter errors;
  EXPECT_FALSE(SUGDOM::ParseMemoryDocument(
      "<!DOCTYPE r [\n<!ENTITY x SYSTEM \"" + s.Url("secret.txt") + "\">\n]>\n<r>\n\n&x;</r>", U"mem.xml", U"",
      errors));
  ASSERT_TRUE(errors.HasErrors());
  EXPECT_EQ(errors.GetErrors().front().line, 6u) << ToNarrow(errors.GetErrorText());
}

TEST(XmlEntities, OnlyTheCallersSchemaValidates) {
  Scratch s;
  const VXString schema = ToVXString((s.dir / "rules.xsd").string());
  // <Other> is not in our schema; the lax schema the document names would
  // let anything through, and must not be the one used.
  for (const std::string& hint : {"xsi:noNamespaceSchemaLocation=\"" + s.Url("lax.xsd") + "\"",
                                  std::string("xsi:schemaLocation=\"urn:x ") + s.Url("lax.xsd") + "\""}) {
    SCOPED_TRACE(hint);
    SUGDomErrorReporter errors;
    const VXString doc = s.Write(
        "hint.xml", "<Rules xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" " + hint + "><Other/></Rules>");
    EXPECT_FALSE(SUGDOM::ValidatedParseFileDocument(doc, schema, errors));
    EXPECT_NE(errors.GetErrorText().find(U"Other"), VXString::npos) << ToNarrow(errors.GetErrorText());
  }
  // The same document without the stranger element is valid against ours.
  SUGDomErrorReporter ok;
  EXPECT_TRUE(
      SUGDOM::ValidatedParseFileDocument(s.Write("ok.xml", "<Rules><Rule prefix=\"GL_\"/></Rules>"), schema, ok))
      << ToNarrow(ok.GetErrorText());
}

TEST(XmlEntities, TheStreamingReaderOpensNothingADocumentNames) {
  Scratch s;
  testutil::FifoTrap fifo(s.dir / "fifo");
  for (const std::string& url : {s.Url("secret.txt"), fifo.Url()}) {
    for (const auto& [how, text] : Naming(url)) {
      SCOPED_TRACE(how + " naming " + url);
      SUGDOM::UntrustedSAX2Reader sax = SUGDOM::NewUntrustedSAX2Reader();
      SUGDomErrorReporter errors;
      sax.reader->setErrorHandler(&errors);
      const std::string file = ToNarrow(s.Write("doc.xml", text));
      sax.reader->parse(file.c_str());
      if (how == "external DTD subset") {
        EXPECT_FALSE(errors.HasErrors()) << ToNarrow(errors.GetErrorText());
      } else {
        EXPECT_NE(errors.GetErrorText().find(U"which the document names, is not read"), VXString::npos)
            << ToNarrow(errors.GetErrorText());
      }
    }
  }
  EXPECT_FALSE(fifo.Opened());
}

// The well-formedness scanner compares each attribute with every one
// before it; a document whose start tags may hold many keeps the default
// scanner.
TEST(XmlEntities, ManyAttributesKeepTheDefaultScanner) {
  auto tag = [](int attributes, const std::string& text) {
    std::string doc = "<r";
    for (int i = 0; i < attributes; ++i) doc += " a" + std::to_string(i) + "=\"v\"";
    return doc + ">" + text + "</r>";
  };
  const XMLCh* wf = xercesc::XMLUni::fgWFXMLScanner;
  const XMLCh* ig = xercesc::XMLUni::fgIGXMLScanner;
  EXPECT_EQ(SUGDOM::ScannerFor(tag(32, "")), wf);
  EXPECT_EQ(SUGDOM::ScannerFor(tag(33, "")), ig);
  // Each "=" counts, in a value or in the text after the tag, until the next "<".
  EXPECT_EQ(SUGDOM::ScannerFor(tag(1, std::string(31, '='))), wf);
  EXPECT_EQ(SUGDOM::ScannerFor(tag(1, std::string(32, '='))), ig);
  EXPECT_EQ(SUGDOM::ScannerFor("<r a=\"" + std::string(40, '=') + "\"/>"), ig);
  EXPECT_EQ(SUGDOM::ScannerFor("<r>" + std::string(20, '=') + "<s/>" + std::string(20, '=') + "</r>"), wf);
}

}  // namespace
