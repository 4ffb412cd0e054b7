// Comparing repository texts element by element: which objects a change
// touches, and every kind of text that must be left to a full load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objectmodel/RpFile.h"
#include "objectmodel/RpFileDigest.h"

namespace {

using RpFileDigest::CompareTexts;
using RpFileDigest::Element;

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<repository format=\"1\" name=\"Shop\">\n";
const std::string kTail = "</repository>\n";

// A small file as the writer lays it out: a database with two tables, a
// column under the first, a blob and two tuples.
const std::string kDb = "  <object id=\"3023:1\" name=\"DW\"/>\n";
const std::string kOrders = "  <object id=\"3001:1\" name=\"ORDERS\" parent=\"3023:1\"/>\n";
const std::string kTuple1 = "  <tuple rel=\"37\" args=\"3037:1 3003:1\"/>\n";
const std::string kTuple2 = "  <tuple rel=\"37\" args=\"3037:1 3003:2\"/>\n";
std::string Text(const std::string& db = kDb, const std::string& orders = kOrders,
                 const std::string& tuples = kTuple1 + kTuple2, const std::string& head = kHead) {
  return head + "  <blob number=\"1\">0A1B</blob>\n" + db + orders +
         "  <object id=\"3001:2\" name=\"LINES\" parent=\"3023:1\"/>\n"
         "  <object id=\"3003:1\" name=\"ID\" parent=\"3001:1\">\n"
         "    <prop key=\"Description\">a &lt;b&gt; c</prop>\n"
         "  </object>\n"
         "  <object id=\"3003:2\" name=\"QTY\" parent=\"3001:1\"/>\n"
         "  <object id=\"3037:1\" name=\"K\" parent=\"3001:1\"/>\n" +
         tuples + kTail;
}

std::vector<VoidID> Changed(const std::string& now, const std::string& before) {
  const RpFileDigest::TextComparison c = CompareTexts(now, before);
  EXPECT_TRUE(c.bCompared) << c.whyNot;
  return c.changed;
}

std::string WhyNot(const std::string& now, const std::string& before) {
  const RpFileDigest::TextComparison c = CompareTexts(now, before);
  EXPECT_FALSE(c.bCompared);
  return c.whyNot;
}

bool Mentions(const std::string& why, const std::string& what) { return why.find(what) != std::string::npos; }

TEST(RpFileDigest, SplitterGivesEachTopLevelElementWithItsIDAndPlace) {
  const std::string text = kHead +
                           "  <object id=\"3001:7\" name=\"a/>b\" parent=\"3023:1\" pos=\"2\">\n"
                           "    <alias>x</alias>\n  </object>\n"
                           "  <tuple rel='37' args='3037:1 3003:1'></tuple>\n" +
                           kTail;
  RpFileDigest::Splitter s(text);
  std::string why;
  ASSERT_TRUE(s.Start(why)) << why;
  EXPECT_EQ(s.RootTag(), "<repository format=\"1\" name=\"Shop\">");
  Element e;
  ASSERT_TRUE(s.Next(e, why)) << why;
  EXPECT_EQ(e.kind, Element::Kind::kObject);
  EXPECT_EQ(e.id, VoidID(3001, 7));
  // A '/>' inside a value does not end the tag; the element runs to its end tag.
  EXPECT_EQ(text.substr(e.begin, e.end - e.begin),
            "<object id=\"3001:7\" name=\"a/>b\" parent=\"3023:1\" pos=\"2\">\n    <alias>x</alias>\n  </object>");
  EXPECT_EQ(text.substr(e.posBegin, e.posEnd - e.posBegin), " pos=\"2\"");
  ASSERT_TRUE(s.Next(e, why)) << why;
  EXPECT_EQ(e.kind, Element::Kind::kTuple);
  EXPECT_EQ(text.substr(e.begin, e.end - e.begin), "<tuple rel='37' args='3037:1 3003:1'></tuple>");
  std::vector<VoidID> args;
  ASSERT_TRUE(RpFileDigest::TupleArgs(text.substr(e.begin, e.end - e.begin), args));
  EXPECT_EQ(args, (std::vector<VoidID>{VoidID(3037, 1), VoidID(3003, 1)}));
  ASSERT_TRUE(s.Next(e, why)) << why;
  EXPECT_EQ(e.kind, Element::Kind::kEnd);
  EXPECT_EQ(s.Offset(), text.size());
}

TEST(RpFileDigest, ChangedObjectsAreThoseWhoseTextDiffers) {
  const std::string before = Text();
  EXPECT_TRUE(Changed(before, before).empty());
  // A rename, and a change inside an object's content.
  EXPECT_EQ(Changed(Text("  <object id=\"3023:1\" name=\"DW2\"/>\n"), before), std::vector<VoidID>{VoidID(3023, 1)});
  std::string described = before;
  described.replace(described.find("a &lt;b&gt; c"), 13, "a &lt;b&gt; d");
  EXPECT_EQ(Changed(described, before), std::vector<VoidID>{VoidID(3003, 1)});
  // Moved to the other table.
  std::string moved = before;
  moved.replace(moved.find("name=\"QTY\" parent=\"3001:1\""), 26, "name=\"QTY\" parent=\"3001:2\"");
  EXPECT_EQ(Changed(moved, before), std::vector<VoidID>{VoidID(3003, 2)});
  // Created and deleted objects, on either side.
  EXPECT_EQ(Changed(Text(kDb + "  <object id=\"3023:9\" name=\"NEW\"/>\n"), before),
            std::vector<VoidID>{VoidID(3023, 9)});
  EXPECT_EQ(Changed(Text(kDb, ""), before), std::vector<VoidID>{VoidID(3001, 1)});
}

TEST(RpFileDigest, APlaceAmongSiblingsIsNoChangeOfTheObject) {
  const std::string before = Text();
  std::string placed = before;
  placed.replace(placed.find("name=\"ORDERS\" parent=\"3023:1\""), 29, "name=\"ORDERS\" parent=\"3023:1\" pos=\"1\"");
  placed.replace(placed.find("name=\"LINES\" parent=\"3023:1\""), 28, "name=\"LINES\" parent=\"3023:1\" pos=\"0\"");
  EXPECT_TRUE(Changed(placed, before).empty());
  EXPECT_TRUE(Changed(before, placed).empty());
  // A name that holds the word is still the name.
  std::string named = before;
  named.replace(named.find("name=\"LINES\""), 12, "name=\"LINES pos=1\"");
  EXPECT_EQ(Changed(named, before), std::vector<VoidID>{VoidID(3001, 2)});
}

TEST(RpFileDigest, TuplesInOneTextOnlyChangeTheirArguments) {
  const std::string before = Text();
  EXPECT_EQ(Changed(Text(kDb, kOrders, kTuple1), before), (std::vector<VoidID>{VoidID(3003, 2), VoidID(3037, 1)}));
  const std::string three = kTuple1 + kTuple2 + "  <tuple rel=\"37\" args=\"3037:1 3001:1\"/>\n";
  EXPECT_EQ(Changed(Text(kDb, kOrders, three), before), (std::vector<VoidID>{VoidID(3001, 1), VoidID(3037, 1)}));
  // Shared tuples in another order: a relation's order may have changed.
  EXPECT_TRUE(Mentions(WhyNot(Text(kDb, kOrders, kTuple2 + kTuple1), before), "another order"));
}

TEST(RpFileDigest, RepositoryNameAndBlobsAreNoObjects) {
  const std::string before = Text();
  std::string renamed = before;
  renamed.replace(renamed.find("name=\"Shop\""), 11, "name=\"Shop &amp; more\" esc=\"1\"");
  EXPECT_TRUE(Changed(renamed, before).empty());
  std::string blob = before;
  blob.replace(blob.find("0A1B"), 4, "FFFF00");
  EXPECT_TRUE(Changed(blob, before).empty());
  // A namespace on the root may give every element another meaning.
  std::string spaced = before;
  spaced.replace(spaced.find("format=\"1\""), 10, "format=\"1\" xmlns:x=\"urn:x\"");
  EXPECT_TRUE(Mentions(WhyNot(spaced, before), "root"));
}

TEST(RpFileDigest, MarkupThatHidesElementsIsLeftToAFullLoad) {
  const std::string before = Text();
  const struct {
    std::string insert;
    std::string why;
  } cases[] = {
      {"  <!-- <object id=\"3001:5\" name=\"X\"/> -->\n", "comment"},
      {"  <object id=\"3001:5\" name=\"X\"><prop key=\"Description\"><![CDATA[<object>]]></prop></object>\n",
       "comment, CDATA"},
      {"  <?keep this?>\n", "processing instruction"},
  };
  for (const auto& c : cases) {
    std::string with = before;
    with.insert(with.find("  <object id=\"3001:2\""), c.insert);
    EXPECT_TRUE(Mentions(WhyNot(with, before), c.why)) << c.insert;
    EXPECT_TRUE(Mentions(WhyNot(before, with), c.why)) << c.insert;
    // Even where both texts have the same one.
    EXPECT_FALSE(CompareTexts(with, with).bCompared) << c.insert;
  }
  const std::string doctype = "<?xml version=\"1.0\"?>\n<!DOCTYPE repository [<!ENTITY t \"ORDERS\">]>\n";
  const std::string byEntity = "  <object id=\"3001:1\" name=\"&t;\" parent=\"3023:1\"/>\n";
  EXPECT_TRUE(Mentions(
      WhyNot(Text(), Text(kDb, byEntity, kTuple1 + kTuple2, doctype + "<repository format=\"1\" name=\"Shop\">\n")),
      "declaration"));
  const std::string latin =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<repository format=\"1\" name=\"Shop\">\n";
  EXPECT_TRUE(Mentions(WhyNot(Text(), Text(kDb, kOrders, kTuple1 + kTuple2, latin)), "iso-8859-1"));
}

TEST(RpFileDigest, BrokenEarlierTextsAreNotComparedAndNeverReadPastTheEnd) {
  const std::string now = Text();
  const std::size_t object = now.find("<object id=\"3003:1\"");
  const struct {
    std::string earlier;
    std::string why;
  } cases[] = {
      {now.substr(0, object + 30), "ends inside"},
      {now.substr(0, now.find("</repository>")), "truncated"},
      {now.substr(0, now.find("</object>") + 3), "truncated"},
      {"", "no <repository>"},
      {"<repo/>", "no <repository>"},
      {std::string(now).insert(object, "<table id=\"3001:1\"/>\n"), "<table>"},
      {std::string(now).insert(object, "stray text\n"), "text between"},
      {std::string(now).replace(object, 19, "<object id=\"3003\""), "TYPE:NUMBER"},
      {std::string(now).replace(object, 19, "<object id=\"0:0\""), "TYPE:NUMBER"},
      {std::string(now).replace(object, 19, "<object name=\"x\""), "without an id"},
      {std::string(now).replace(object, 19, "<object id=\"3003:1\"id=\"3003:1\""), "blank"},
      {std::string(now).replace(object, 19, "<object id=\"3003:1\" name=\"<\""), "'<'"},
      {std::string(now).insert(now.find("    <prop"), "<object id=\"1:1\"/>"), "inside <object>"},
      {std::string(now).insert(now.find("</repository>"), "<tuple rel=\"37\" args=\"x y\"/>"), "TYPE:NUMBER"},
      {std::string(now) + "<object id=\"1:1\"/>", "after </repository>"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Mentions(WhyNot(now, c.earlier), c.why)) << c.earlier;
  }
  // Every cut short of the last '>' is refused, never read past (the
  // sanitizer build runs this too).
  for (std::size_t n = 0; n + 1 < now.size(); ++n) {
    const std::string cut = now.substr(0, n);
    EXPECT_FALSE(CompareTexts(now, cut).bCompared) << n;
  }
}

}  // namespace
