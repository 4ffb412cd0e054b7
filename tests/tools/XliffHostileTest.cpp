// XLIFF documents that try something: name a local file or a FIFO, a
// schema of their own, nest a million deep, repeat a unit, or carry control
// characters that only XML 1.1 allows. Each is refused with its line, and
// nothing outside the document is read.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>

#include "Translations/Translations.h"
#include "common/FifoTrap.h"
#include "common/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using smutil_translations::ReadXliff;
using smutil_translations::TranslationError;
using smutil_translations::TranslationUnit;

class XliffHostile : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(dir / "secret.txt") << "PLANTED-SECRET"; }

  std::string Write(const std::string& text) const { return scratch.Write("in.xlf", text); }
  // The message of the refusal, or "" when the document was read.
  std::string Refusal(const std::string& text, std::vector<TranslationUnit>* units = nullptr) const {
    std::string language;
    try {
      std::vector<TranslationUnit> read = ReadXliff(Write(text), language);
      if (units) *units = std::move(read);
      return "";
    } catch (const TranslationError& e) {
      return e.what();
    }
  }

  testutil::ScratchDir scratch;
  const fs::path dir = scratch.Dir();
};

// Whether why places message at that line of in.xlf ("in.xlf:4:7: message",
// the column as the parser knows it, or none; line 0: any line), as the
// document's fault or as one of the problems listed under it.
bool PlacedAt(const std::string& why, int line, const std::string& message) {
  const std::string place = "in.xlf:" + (line ? std::to_string(line) + ":" : std::string());
  for (std::size_t at = why.find(place); at != std::string::npos; at = why.find(place, at + 1)) {
    std::size_t after = at + place.size();
    bool bLineRead = line != 0;
    for (int number = line ? 1 : 2; number > 0; --number) {
      const std::size_t digits = after;
      while (after < why.size() && std::isdigit(static_cast<unsigned char>(why[after]))) ++after;
      if (after > digits && after < why.size() && why[after] == ':') ++after;
      bLineRead = bLineRead || after > digits;
    }
    if (!bLineRead) continue;
    std::string rest = why.substr(after);
    for (const char* fault : {" not a valid XLIFF 2.0 document:", " not a valid XLIFF 1.2 document:"}) {
      if (rest.rfind(fault, 0) == 0) rest.erase(0, std::string(fault).size());
    }
    if (rest.rfind(" " + message, 0) == 0) return true;
  }
  return false;
}

constexpr char kOpen[] =
    R"(<xliff xmlns="urn:oasis:names:tc:xliff:document:2.0" version="2.0" srcLang="en" trgLang="fr">
<file id="f1">
)";
constexpr char kClose[] = "</file>\n</xliff>\n";

std::string Unit(const std::string& id, const std::string& name, const std::string& target) {
  return "<unit id=\"" + id + "\" name=\"" + name + "\" type=\"smutil:displayName\"><segment><source>s</source>" +
         "<target>" + target + "</target></segment></unit>\n";
}

TEST_F(XliffHostile, NamedFilesAreNeverRead) {
  testutil::FifoTrap fifo(dir / "fifo");
  const std::string secret = "file://" + (dir / "secret.txt").string();
  for (const std::string& url : {secret, fifo.Url()}) {
    const std::vector<std::pair<std::string, std::string>> docs = {
        {"entity", "<!DOCTYPE xliff [<!ENTITY x SYSTEM \"" + url + "\">]>\n" + kOpen +
                       Unit("u1", "VX_SESSION.A", "&x;") + kClose},
        {"DTD", "<!DOCTYPE xliff SYSTEM \"" + url + "\">\n" + kOpen + Unit("u1", "VX_SESSION.A", "t") + kClose},
    };
    for (const auto& [how, text] : docs) {
      SCOPED_TRACE(how + " " + url);
      const std::string why = Refusal(text);
      EXPECT_TRUE(PlacedAt(why, 0, "'" + url + "', which the document names, is not read")) << why;
      EXPECT_EQ(why.find("PLANTED"), std::string::npos);
    }
  }
  EXPECT_FALSE(fifo.Opened());
}

TEST_F(XliffHostile, ASchemaTheDocumentNamesIsNotUsed) {
  // A schema that takes anything, named by the document: the bundled one
  // still refuses the unknown element.
  std::ofstream(dir / "lax.xsd") << R"(<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"
  targetNamespace="urn:oasis:names:tc:xliff:document:2.0"><xs:element name="xliff"/></xs:schema>)";
  const std::string text = std::string(R"(<xliff xmlns="urn:oasis:names:tc:xliff:document:2.0"
  xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:oasis:names:tc:xliff:document:2.0 )") +
                           "file://" + (dir / "lax.xsd").string() +
                           R"(" version="2.0" srcLang="en" trgLang="fr"><bogus/></xliff>)";
  const std::string why = Refusal(text);
  EXPECT_NE(why.find("bogus"), std::string::npos) << why;
}

TEST_F(XliffHostile, AMillionNestedElementsAreRefusedAtTheLimit) {
  // Inline codes nest without end in the schema; the reader stops at 256.
  std::string text = std::string(kOpen) + "<unit id=\"u1\" name=\"VX_SESSION.A\"><segment><source>\n";
  constexpr int kDepth = 1000000;
  for (int i = 0; i < kDepth; ++i) text += "<pc id=\"p" + std::to_string(i) + "\">";
  for (int i = 0; i < kDepth; ++i) text += "</pc>";
  text += "</source></segment></unit>\n" + std::string(kClose);
  const std::string why = Refusal(text);
  EXPECT_TRUE(PlacedAt(why, 4, "elements nest deeper than 256 levels")) << why;
}

TEST_F(XliffHostile, UnitsAreNotRepeated) {
  struct Case {
    const char* name;
    std::string units;
    std::string expected;  // "" when the document reads
  };
  const Case cases[] = {
      {"same id twice", Unit("u1", "VX_SESSION.A", "a") + Unit("u1", "VX_SESSION.B", "b"),
       "the unit id 'u1' is used again (first at line 3)"},
      {"one key translated two ways", Unit("u1", "VX_SESSION.A", "a") + Unit("u2", "VX_SESSION.A", "b"),
       "the unit for VX_SESSION.A translates it again, differently from the unit at line 3"},
      {"one key translated alike", Unit("u1", "VX_SESSION.A", "a") + Unit("u2", "VX_SESSION.A", "a"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string why = Refusal(std::string(kOpen) + c.units + kClose);
    if (c.expected.empty()) {
      EXPECT_EQ(why, "");
    } else {
      EXPECT_TRUE(PlacedAt(why, 4, c.expected)) << why;
    }
  }
  // Ids are a file's own: two files may each have a u1.
  std::vector<TranslationUnit> units;
  EXPECT_EQ(Refusal(std::string(kOpen) + Unit("u1", "VX_SESSION.A", "a") + "</file><file id=\"f2\">" +
                        Unit("u1", "VX_SESSION.B", "b") + kClose,
                    &units),
            "");
  EXPECT_EQ(units.size(), 2u);
}

TEST_F(XliffHostile, ControlCharactersOfXml11AreRefused) {
  const std::string open11 = std::string("<?xml version=\"1.1\"?>\n") + kOpen;
  for (const char* ref : {"&#x1;", "&#x1B;", "&#x7;"}) {
    SCOPED_TRACE(ref);
    const std::string why = Refusal(open11 + Unit("u7", "VX_SESSION.A", std::string("a") + ref + "b") + kClose);
    EXPECT_TRUE(PlacedAt(why, 4, "unit 'u7' holds the control character U+00")) << why;
  }
  // Tab, line feed and carriage return are text.
  std::vector<TranslationUnit> units;
  EXPECT_EQ(Refusal(open11 + Unit("u7", "VX_SESSION.A", "a&#x9;b&#xA;c&#xD;") + kClose, &units), "");
  ASSERT_EQ(units.size(), 1u);
  EXPECT_EQ(units[0].target, U"a\tb\nc\r");
}

}  // namespace
