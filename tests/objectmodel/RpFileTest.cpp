// Repository files: save then load gives the same repository (the sample,
// generated ones, and objects with awkward text and every property type), and
// every kind of broken file is refused with its line and column.
#include <gtest/gtest.h>

#include <string>

#include "Expr/ExprBuilder.h"
#include "Expr/ToStringVisitor.h"
#include "common/Caught.h"
#include "common/ScratchDir.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace {

using testutil::Caught;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";

std::unique_ptr<ARpGateway> Reload(ARpGateway& rp) {
  const std::string text = RpFile::SaveToString(rp);
  return RpFile::LoadFromMemory(text.data(), text.size(), "reloaded");
}

void ExpectSame(ARpGateway& a, ARpGateway& b) {
  std::string diff;
  EXPECT_FALSE(RpFile::FindFirstDifference(a, b, diff)) << diff;
}

TEST(RpFileRoundTrip, SampleLoadsAndSavesToTheSameBytes) {
  std::unique_ptr<ARpGateway> rp = RpFile::Load(kSample);
  EXPECT_GT(rp->GetObjectCount(), 150u);
  EXPECT_EQ(rp->GetLogicalName(), U"SampleApp");
  // The committed sample is in the writer's canonical form.
  EXPECT_EQ(RpFile::SaveToString(*rp), testutil::ReadFile(kSample));
  ExpectSame(*rp, *Reload(*rp));
}

TEST(RpFileRoundTrip, SampleContentIsReadIntoTheModel) {
  std::unique_ptr<ARpGateway> rp = RpFile::Load(kSample);
  VoidIDVector ids;
  rp->LookupObjects(TypedObjectNameCondition(kTIDAEntityFolder, U"clients", true), ids);
  ASSERT_EQ(ids.size(), 1u);  // found by a former name
  Ref<AEntityFolder> customers(rp->GetObject(ids[0]));
  EXPECT_EQ(customers->GetDisplayName(), U"Kunden & M\u00e4rkte");
  EXPECT_EQ(customers->GetCatalogFolder()->GetName(), U"Sales Analysis");
  rp->LookupObjects(TypedObjectNameCondition(kTIDAAttribute, U"Revenue", false), ids);
  ASSERT_FALSE(ids.empty());
  Ref<AAttribute> revenue(rp->GetObject(ids[0]));
  EXPECT_TRUE(revenue->IsDerivedAttribute());
  EXPECT_EQ(ToStringVisitor::StringFrom(revenue->GetExpr()), U"Subtract(Multiply(#2006:2,#2006:3),#2006:4)");
  rp->LookupObjects(InterfaceTypeCondition(kTIDAConnectionPool), ids);
  ASSERT_FALSE(ids.empty());
  VXStringVector scripts;
  Ref<AConnectionPool>(rp->GetObject(ids[0]))->GetEnabledPostConnectStrings(scripts);
  EXPECT_EQ(scripts.size(), 2u);
  rp->LookupObjects(InterfaceTypeCondition(kTIDALogicalTableSource), ids);
  ASSERT_FALSE(ids.empty());
  const RpSourceDefinition defn = Ref<ALogicalTableSource>(rp->GetObject(ids[0]))->GetSourceDefinition();
  EXPECT_EQ(defn.m_logicalToPhysical.size(), 8u);
  EXPECT_FALSE(defn.m_whereClause.IsEmpty());
}

TEST(RpFileRoundTrip, GeneratedRepositoriesOfSeveralSizes) {
  for (std::size_t n : {1u, 37u, 5000u}) {
    RpGenerator::Options options;
    options.m_objectCount = n;
    options.m_seed = n;
    std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
    EXPECT_EQ(rp->GetObjectCount(), n);
    ExpectSame(*rp, *Reload(*rp));
    // Text comparisons lean on the writer: loaded back, the same bytes.
    EXPECT_EQ(RpFile::SaveToString(*Reload(*rp)), RpFile::SaveToString(*rp));
  }
}

TEST(RpFileRoundTrip, MovedChildrenAndTuplesKeepTheirOrder) {
  RpGenerator::Options options;
  options.m_objectCount = 400;
  std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  VoidIDVector tables;
  rp->GetObjectIDsOfType(kTIDATable, tables);
  ASSERT_GE(tables.size(), 2u);
  // Last column first; a column moved to another table; a renamed table.
  ARpObject* t0 = rp->GetObject(tables[0]).Get();
  const VoidID last = t0->GetChildPointers().back()->GetID();
  ASSERT_TRUE(rp->MoveChild(last, -100));
  ARpObject* moved = rp->GetObject(tables[1]).Get()->GetChildPointers().front();
  rp->SetObjectParent(moved, t0);
  rp->RenameObject(tables[1], U"RENAMED");
  // Two members of one role, the second moved first.
  RpBuilder b(*rp);
  auto role = b.Add(kTIDASecurityRole, U"Readers");
  auto u1 = b.Add(kTIDAUser, U"u1");
  auto u2 = b.Add(kTIDAUser, U"u2");
  b.Relate(RpRel::kSecurityRoleUsers, {role, u1}).Relate(RpRel::kSecurityRoleUsers, {role, u2});
  ASSERT_TRUE(rp->MoveTuple(RpRel::kSecurityRoleUsers, {role, u2}, -1));
  rp->DeleteObject(tables.back());

  const std::string text = RpFile::SaveToString(*rp);
  EXPECT_NE(text.find(" pos=\"0\""), std::string::npos);
  std::unique_ptr<ARpGateway> back = RpFile::LoadFromMemory(text.data(), text.size());
  ExpectSame(*rp, *back);
  EXPECT_EQ(back->GetObject(tables[0])->GetChildPointers().front()->GetID(), last);
  Ref<ASecurityRole> readers(back->GetObject(role));
  EXPECT_EQ((*readers->GetUsers().ToBegin())->GetName(), U"u2");
  EXPECT_EQ(back->GetObject(tables[1])->GetAliasList().size(), 1u);
}

// The names of an object's children, in their order.
std::string ChildNames(ARpGateway& rp, const VoidID& parent) {
  std::string names;
  for (ARpObject* c : rp.GetObject(parent)->GetChildPointers()) names += ToNarrow(c->GetName()) + " ";
  return names;
}

TEST(RpFileLoad, ChildrenKeepFileOrderWhetherListedBeforeOrAfterTheirParent) {
  // D's children come before and after D; table T2's columns before and
  // after T2, which itself comes after D; E's children all come after E;
  // F's children carry places that reverse the file's order.
  const std::string doc =
      "<?xml version=\"1.0\"?>\n<repository format=\"1\">\n"
      "<object id=\"3001:1\" name=\"T1\" parent=\"3023:1\"/>\n"
      "<object id=\"3003:1\" name=\"c1\" parent=\"3001:2\"/>\n"
      "<object id=\"3001:5\" name=\"T5\" parent=\"3023:1\"/>\n"
      "<object id=\"3023:1\" name=\"D\"/>\n"
      "<object id=\"3023:2\" name=\"E\"/>\n"
      "<object id=\"3001:4\" name=\"T4\" parent=\"3023:2\"/>\n"
      "<object id=\"3001:2\" name=\"T2\" parent=\"3023:1\"/>\n"
      "<object id=\"3003:2\" name=\"c2\" parent=\"3001:2\"/>\n"
      "<object id=\"3001:3\" name=\"T3\" parent=\"3023:1\"/>\n"
      "<object id=\"3003:3\" name=\"c3\" parent=\"3001:2\"/>\n"
      "<object id=\"3001:6\" name=\"T6\" parent=\"3023:2\"/>\n"
      "<object id=\"3023:3\" name=\"F\"/>\n"
      "<object id=\"3001:7\" name=\"T7\" parent=\"3023:3\" pos=\"1\"/>\n"
      "<object id=\"3001:8\" name=\"T8\" parent=\"3023:3\" pos=\"0\"/>\n"
      "</repository>\n";
  std::unique_ptr<ARpGateway> rp = RpFile::LoadFromMemory(doc.data(), doc.size());
  EXPECT_EQ(ChildNames(*rp, VoidID(3023, 1)), "T1 T5 T2 T3 ");
  EXPECT_EQ(ChildNames(*rp, VoidID(3001, 2)), "c1 c2 c3 ");
  EXPECT_EQ(ChildNames(*rp, VoidID(3023, 2)), "T4 T6 ");
  EXPECT_EQ(ChildNames(*rp, VoidID(3023, 3)), "T8 T7 ");
  // The name index knows every link, however it was made.
  for (const char32_t* name : {U"T1", U"T3"}) {
    std::vector<ARpObject*> found;
    rp->FindChildrenByExactName(rp->GetObject(VoidID(3023, 1)).Get(), name, found);
    ASSERT_EQ(found.size(), 1u) << ToNarrow(name);
    EXPECT_EQ(found[0]->GetName(), name);
  }
  std::vector<ARpObject*> column;
  rp->FindChildrenByExactName(rp->GetObject(VoidID(3001, 2)).Get(), U"c1", column);
  EXPECT_EQ(column.size(), 1u);
  // Saved and loaded again, nothing moves.
  ExpectSame(*rp, *Reload(*rp));
}

TEST(RpFileRoundTrip, AwkwardTextAndEveryPropertyType) {
  ARpGateway rp;
  rp.SetLogicalName(U"Repo \"1\" <&>");
  rp.SetDataBlob(1, {0x00, 0xFF, 0x10});
  rp.SetDataBlob(15, {});
  RpBuilder b(rp);
  const VXString awkward[] = {U"",
                              U"a\"b'c<d>&e",
                              U"tab\there\nnew line\r\nCRLF",
                              VXString(U"nul\0x", 5),
                              U"back\\slash \\u{41}",
                              U"\U0001F600 astral",
                              VXString(1, char32_t(0xD800)) + U"lone surrogate",
                              U"\x01\x1F control",
                              U"  spaces  ",
                              U"\uFFFE\uFFFF"};
  VoidIDVector dbs;
  for (const VXString& name : awkward) {
    auto db = b.Add(kTIDADatabase, name);
    dbs.push_back(db);
    db.Set(RpProp::kDescription, name);
    if (!name.empty()) db.Alias(name + U"x");
  }
  auto db = b.At(dbs[1]);
  auto table = db.Child(kTIDATable, U"T");
  auto col = table.Child(kTIDAColumn, U"C");
  Expr expr = ExprBuilder().Op(kAdd).ID(col).String(U"x\ny\\").End().Build();
  expr.SetFormatStr(U"fmt \x02 %1");
  table.Set(RpProp::kExpr, expr)
      .Set(RpProp::kNullable, false)
      .Set(RpProp::kTableType, std::int64_t(-9223372036854775807LL - 1))
      .Set(RpProp::kGUID, ByteVector{1, 2, 3, 254})
      .Set(RpProp::kLevelKey, VoidID(3003, 999999))  // ids in properties may dangle
      .Set(RpProp::kPostConnectStrings, VXStringVector{U"", U"a\x03", U"b"})
      .Set(RpProp::kPropertyMap, VXStringStringMap{{U"k\x04", U"v"}, {U"", U""}})
      .Set(RpProp::kMultiplicity, Multiplicity{MultiplicityTypes::kOne, MultiplicityTypes::kUnknown, 3, 7})
      .Set(RpProp::kDisabled, std::monostate())
      .Set(RpProp::kUpgradeID, ByteVector{});
  RpSourceDefinition defn;
  defn.m_logicalToPhysical.emplace_back(ExprBuilder().ID(col).Build(), Expr());
  defn.m_physicalTables = {table, VoidID(3001, 77)};
  defn.m_joins.push_back({{table, table}, VoidID::NullID});
  defn.m_whereClause = ExprBuilder().String(U"\x05").Build();
  defn.m_bDistinct = true;
  table.Set(RpProp::kSourceDefinition, std::make_shared<const RpSourceDefinition>(defn));
  col.Set(RpProp::kSourceDefinition, std::shared_ptr<const RpSourceDefinition>());

  const std::string text = RpFile::SaveToString(rp);
  EXPECT_NE(text.find("esc=\"1\""), std::string::npos);
  std::unique_ptr<ARpGateway> back = RpFile::LoadFromMemory(text.data(), text.size());
  ExpectSame(rp, *back);
  EXPECT_EQ(back->GetObject(dbs[3])->GetName(), VXString(U"nul\0x", 5));
  // And again: the written form is stable.
  EXPECT_EQ(RpFile::SaveToString(*back), text);
}

TEST(RpFileRoundTrip, DifferencesAreFound) {
  std::unique_ptr<ARpGateway> a = RpFile::Load(kSample);
  std::unique_ptr<ARpGateway> b = RpFile::Load(kSample);
  std::string diff;
  VoidIDVector ids;
  b->GetObjectIDsOfType(kTIDAAttribute, ids);
  b->GetObject(ids[2])->SetProperty(RpProp::kDataType, VXString(U"CHAR"));
  EXPECT_TRUE(RpFile::FindFirstDifference(*a, *b, diff));
  EXPECT_NE(diff.find("DataType"), std::string::npos) << diff;
  std::unique_ptr<ARpGateway> c = RpFile::Load(kSample);
  ASSERT_TRUE(c->MoveChild(c->GetObject(ids[2])->GetID(), 1));
  EXPECT_TRUE(RpFile::FindFirstDifference(*a, *c, diff));
  EXPECT_NE(diff.find("children"), std::string::npos) << diff;
}

// ---- broken files ----------------------------------------------------------

struct BrokenCase {
  const char* what;
  std::string body;  // lines after <repository format="1">, which is line 2
  std::uint64_t line;
  const char* message;
  std::uint64_t column = 0;  // 0: not checked
};

std::string Document(const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<repository format=\"1\">\n" + body + "</repository>\n";
}

// Each case's document fails to load with its message, at its place.
void ExpectEachFails(std::span<const BrokenCase> cases, const std::string& source) {
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string doc = Document(c.body);
    const auto e = Caught<RpFileError>([&] { RpFile::LoadFromMemory(doc.data(), doc.size(), source); });
    if (!e) continue;
    EXPECT_EQ(e->GetLine(), c.line) << e->what();
    if (c.column) {
      EXPECT_EQ(e->GetColumn(), c.column) << e->what();
    }
    EXPECT_NE(e->GetMessage().find(c.message), std::string::npos) << e->what();
    EXPECT_EQ(std::string(e->what()).rfind(source + ":" + std::to_string(c.line) + ":", 0), 0u) << e->what();
  }
}

TEST(RpFileErrors, EachKindOfErrorNamesItsLine) {
  const BrokenCase cases[] = {
      {"malformed", "<object id=\"3023:1\" name=\"A\">\n</objekt>\n", 4, "malformed XML"},
      {"unknown element", "\n<thing/>\n", 4, "unknown element <thing>"},
      {"unknown type", "<object id=\"9999:1\" name=\"A\"/>\n", 3, "unknown type 9999"},
      {"bad id", "<object id=\"3023\" name=\"A\"/>\n", 3, "bad object id '3023'"},
      {"missing name", "<object id=\"3023:1\"/>\n", 3, "attribute name is missing"},
      {"prefixed name", "<object id=\"3023:1\" x:name=\"A\"/>\n", 3, "attribute name is missing"},
      {"duplicate id", "<object id=\"3023:1\" name=\"A\"/>\n<object id=\"3023:1\" name=\"B\"/>\n", 4,
       "duplicate object id '3023:1'"},
      {"dangling parent", "<object id=\"3001:1\" name=\"T\" parent=\"3023:5\"/>\n", 3,
       "dangling reference: parent 3023:5"},
      {"parent type", "<object id=\"3023:1\" name=\"D\"/>\n<object id=\"3003:1\" name=\"C\" parent=\"3023:1\"/>\n", 4,
       "cannot live under 3023:1"},
      {"cycle",
       "<object id=\"4000:1\" name=\"A\" parent=\"4000:2\"/>\n<object id=\"4000:2\" name=\"B\" parent=\"4000:1\"/>\n",
       4, "cycle"},
      {"dangling tuple", "<object id=\"4206:1\" name=\"R\"/>\n\n<tuple rel=\"35\" args=\"4206:1 1501:3\"/>\n", 5,
       "dangling reference: tuple argument 1501:3"},
      {"unknown relation", "<tuple rel=\"12345\" args=\"1:1\"/>\n", 3, "unknown relation 12345"},
      {"arity", "<tuple rel=\"35\" args=\"4206:1\"/>\n", 3, "takes 2 ids"},
      {"bad tuple id", "<tuple rel=\"35\" args=\"4206:1  x:3\"/>\n", 3, "bad id 'x:3' in tuple args"},
      {"bad relation number", "<tuple rel=\"3\u00e95\" args=\"4206:1\"/>\n", 3, "bad relation number '3\u00e95'"},
      {"bad pos",
       "<object id=\"3023:1\" name=\"D\"/>\n<object id=\"3001:1\" name=\"T\" parent=\"3023:1\" pos=\"-1\"/>\n", 4,
       "bad pos '-1'"},
      {"containment tuple", "<tuple rel=\"1\" args=\"3023:1 3001:1\"/>\n", 3, "parent attribute"},
      {"unknown property", "<object id=\"3023:1\" name=\"A\">\n<prop key=\"Colour\">x</prop>\n</object>\n", 4,
       "unknown property 'Colour'"},
      {"twice property",
       "<object id=\"3023:1\" name=\"A\">\n<prop key=\"Description\"/>\n<prop key=\"Description\"/>\n</object>\n", 5,
       "given twice"},
      {"bad bool", "<object id=\"3023:1\" name=\"A\">\n<prop key=\"Nullable\" type=\"bool\">yes</prop>\n</object>\n", 4,
       "bad bool 'yes'"},
      {"bad property type", "<object id=\"3023:1\" name=\"A\">\n<prop key=\"Nullable\" type=\"float\"/>\n</object>\n",
       4, "unknown property type 'float'"},
      {"bad hex", "<blob number=\"1\">0G</blob>\n", 3, "bad blob bytes"},
      {"blob twice", "<blob number=\"1\"/>\n<blob number=\"1\"/>\n", 4, "blob 1 is given twice"},
      {"alias twice", "<object id=\"3023:1\" name=\"A\">\n<alias>x</alias>\n<alias>x</alias>\n</object>\n", 5,
       "given twice"},
      {"bad escape", "<object id=\"3023:1\" name=\"a\\q\" esc=\"1\"/>\n", 3, "bad escape"},
      {"stray text", "<object id=\"3023:1\" name=\"A\">hello</object>\n", 3, "unexpected text 'hello'"},
      {"misplaced", "<object id=\"3023:1\" name=\"A\">\n<object id=\"3023:2\" name=\"B\"/>\n</object>\n", 4,
       "not allowed here"},
      {"pos gap",
       "<object id=\"3023:1\" name=\"D\"/>\n<object id=\"3001:1\" name=\"T\" parent=\"3023:1\" pos=\"0\"/>\n"
       "<object id=\"3001:2\" name=\"U\" parent=\"3023:1\" pos=\"2\"/>\n",
       5, "pos 2 among the children of 3023:1"},
      // A value of the wrong type for its key.
      {"expr as string", "<object id=\"3001:1\" name=\"T\">\n<prop key=\"Expr\">Add(1,2)</prop>\n</object>\n", 4,
       "property 'Expr' takes a value of type expr, not string (write it with type=\"expr\")"},
      {"int as bool",
       "<object id=\"3001:1\" name=\"T\">\n<prop key=\"TableType\" type=\"bool\">true</prop>\n</object>\n", 4,
       "property 'TableType' takes a value of type int, not bool"},
      {"bool as int", "<object id=\"3001:1\" name=\"T\">\n<prop key=\"Nullable\" type=\"int\">1</prop>\n</object>\n", 4,
       "property 'Nullable' takes a value of type bool, not int"},
      {"string as id",
       "<object id=\"3001:1\" name=\"T\">\n<prop key=\"Description\" type=\"id\">3001:1</prop>\n</object>\n", 4,
       "property 'Description' takes a value of type string, not id (write it without a type attribute)"},
      {"escape beyond U+10FFFF", "<object id=\"3023:1\" name=\"a\\u{110000}\" esc=\"1\"/>\n", 3,
       "bad escape \\u{110000}: beyond the last code point U+10FFFF"},
      {"negative blob", "\n<blob number=\"-1\">00</blob>\n", 4, "bad blob number '-1' (expected a number from 0 to"},
      {"pos partial",
       "<object id=\"3023:1\" name=\"D\"/>\n<object id=\"3001:1\" name=\"T\" parent=\"3023:1\" pos=\"0\"/>\n"
       "<object id=\"3001:2\" name=\"U\" parent=\"3023:1\"/>\n",
       4, "have a pos and others not"},
      // The column of bad expression text is that of its offending character.
      {"bad expression text",
       "<object id=\"3001:1\" name=\"T\">\n<prop key=\"Expr\" type=\"expr\">Add(1,Multiply(2,))</prop>\n</object>\n", 4,
       "bad expression text at character", 47},
      {"a byte that starts no UTF-8 sequence", "<object id=\"3023:1\" name=\"A\xFF\"/>\n", 3, "not valid UTF-8", 28},
      {"a NUL byte",
       "<object id=\"3023:1\" name=\"A\"/>\n<object id=\"3023:2\" name=\"B\"/>\n" + std::string(1, '\0') + "\n", 5,
       "NUL byte", 1},
  };
  ExpectEachFails(cases, "broken.xml");
}

TEST(RpFileLoad, LinkErrorsAreThoseOfTheFirstLinkInFileOrder) {
  // B's link closes a cycle at line 4, before the missing parent of line 5,
  // though B is linked as soon as it is read and A only at the end; and a
  // type that may not live under its parent is found where it is listed,
  // after a missing parent that comes first.
  const BrokenCase cases[] = {
      {"cycle before dangling",
       "<object id=\"4000:1\" name=\"A\" parent=\"4000:2\"/>\n"
       "<object id=\"4000:2\" name=\"B\" parent=\"4000:1\"/>\n"
       "<object id=\"4000:3\" name=\"C\" parent=\"4000:9\"/>\n",
       4, "parent 4000:1 of 4000:2 is one of its own descendants"},
      {"dangling before wrong type",
       "<object id=\"3023:1\" name=\"D\"/>\n"
       "<object id=\"3001:1\" name=\"T\" parent=\"3023:7\"/>\n"
       "<object id=\"3003:1\" name=\"C\" parent=\"3023:1\"/>\n",
       4, "dangling reference: parent 3023:7 of 3001:1"},
      {"wrong type after good links",
       "<object id=\"3023:1\" name=\"D\"/>\n"
       "<object id=\"3001:1\" name=\"T\" parent=\"3023:1\"/>\n"
       "<object id=\"3003:1\" name=\"C\" parent=\"3023:1\"/>\n",
       5, "cannot live under 3023:1"},
  };
  ExpectEachFails(cases, "links.xml");
}

TEST(RpFileLoad, ManyObjectsKeepTheirOrderNamesAndProperties) {
  // Hundreds of tables under one database, some with a name to unescape
  // and some with a property: each keeps its own name, property and place.
  std::string doc = "<?xml version=\"1.0\"?>\n<repository format=\"1\">\n<object id=\"3023:1\" name=\"D\"/>\n";
  std::string expected;
  for (int i = 1; i <= 700; ++i) {
    const std::string n = std::to_string(i);
    const bool bEsc = i % 7 == 0;
    doc += "<object id=\"3001:" + n + "\" name=\"T" + (bEsc ? "\\\\" : "") + n + "\" parent=\"3023:1\"" +
           (bEsc ? " esc=\"1\"" : "");
    doc += i % 5 == 0 ? "><prop key=\"Description\">d" + n + "</prop></object>\n" : "/>\n";
    expected += "T" + std::string(bEsc ? "\\" : "") + n + " ";
  }
  doc += "</repository>\n";
  std::unique_ptr<ARpGateway> rp = RpFile::LoadFromMemory(doc.data(), doc.size());
  EXPECT_EQ(ChildNames(*rp, VoidID(3023, 1)), expected);
  for (int i = 1; i <= 700; ++i) {
    const Ref<ARpObject> t = rp->GetObject(VoidID(3001, static_cast<std::uint32_t>(i)));
    ASSERT_FALSE(t.IsNull()) << i;
    EXPECT_EQ(t->HasProperty(RpProp::kDescription), i % 5 == 0) << i;
    if (i % 5 == 0) {
      EXPECT_EQ(ToNarrow(t->GetDescription()), "d" + std::to_string(i)) << i;
    }
  }
}

TEST(RpFileErrors, AFaultAmongObjectsNotCreatedYetIsTheOneReported) {
  // Objects are read some way ahead of their creation: a taken id must
  // still be reported where it is, before any fault that follows it, and
  // wherever it falls among the hundreds of objects read at a time. Its
  // place is just past the tag of the object that repeats the id.
  const std::string dup = "<object id=\"3023:1\" name=\"A\"/>\n<object id=\"3023:1\" name=\"B\"/>\n";
  std::string many;
  for (int i = 1; i <= 700; ++i) {
    many += "<object id=\"3023:" + std::to_string(i == 600 ? 7 : i) + "\" name=\"D" + std::to_string(i) + "\"/>\n";
  }
  const BrokenCase cases[] = {
      {"then malformed XML", dup + "</objekt>\n", 4, "duplicate object id '3023:1'", 31},
      {"then an unknown element", dup + "<thing/>\n", 4, "duplicate object id '3023:1'", 31},
      {"then stray text", dup + "hello\n", 4, "duplicate object id '3023:1'", 31},
      {"then a bad id", dup + "<object id=\"x\" name=\"C\"/>\n", 4, "duplicate object id '3023:1'", 31},
      {"then a property", dup + "<object id=\"3023:2\" name=\"C\">\n<prop key=\"Description\">d</prop>\n</object>\n", 4,
       "duplicate object id '3023:1'", 31},
      {"at the end of the document", dup, 4, "duplicate object id '3023:1'", 31},
      {"far into the file", many, 602, "duplicate object id '3023:7'", 34},
      {"before a bad link", many + "<object id=\"3001:1\" name=\"T\" parent=\"3023:9999\"/>\n", 602,
       "duplicate object id '3023:7'", 34},
  };
  ExpectEachFails(cases, "dup.xml");
}

TEST(RpFileErrors, TheEarliestFaultIsReportedWhicheverCheckFindsIt) {
  // Faults of single elements are found as the file is read, the others
  // once it is all read (or up to a fault of the first kind): the one
  // reported is the one that stands first.
  std::string manyAliases = "<object id=\"3023:1\" name=\"A\">\n";
  for (int i = 0; i < 40; ++i) manyAliases += "<alias>a" + std::to_string(i == 30 ? 3 : i) + "</alias>\n";
  manyAliases += "</object>\n";
  const BrokenCase cases[] = {
      {"wrong parent type, then malformed XML",
       "<object id=\"3023:1\" name=\"D\"/>\n<object id=\"3003:1\" name=\"C\" parent=\"3023:1\"/>\n</objekt>\n", 4,
       "cannot live under 3023:1"},
      {"alias twice, then an unknown element",
       "<object id=\"3023:1\" name=\"A\">\n<alias>x</alias>\n<alias>x</alias>\n</object>\n<thing/>\n", 5,
       "alias 'x' is empty or given twice"},
      {"one alias of forty repeats an early one", manyAliases, 34, "alias 'a3' is empty or given twice"},
      {"dangling parent, then a place out of line",
       "<object id=\"3023:1\" name=\"D\"/>\n<object id=\"3001:1\" name=\"T\" parent=\"3023:9\"/>\n"
       "<object id=\"3001:2\" name=\"U\" parent=\"3023:1\" pos=\"2\"/>\n",
       4, "dangling reference: parent 3023:9 of 3001:1"},
      {"dangling tuple, then a repeated id",
       "<object id=\"4206:1\" name=\"R\"/>\n<tuple rel=\"35\" args=\"4206:1 1501:3\"/>\n"
       "<object id=\"4206:1\" name=\"S\"/>\n",
       4, "dangling reference: tuple argument 1501:3"},
      {"a cycle of three closes at its last link",
       "<object id=\"4000:1\" name=\"A\" parent=\"4000:3\"/>\n<object id=\"4000:2\" name=\"B\" parent=\"4000:1\"/>\n"
       "<object id=\"4000:3\" name=\"C\" parent=\"4000:2\"/>\n",
       5, "parent 4000:2 of 4000:3 is one of its own descendants"},
      {"an object its own parent", "<object id=\"4000:1\" name=\"A\" parent=\"4000:1\"/>\n", 3,
       "parent 4000:1 of 4000:1 is one of its own descendants"},
      {"a cycle read before a fault of the scan",
       "<object id=\"4000:1\" name=\"A\" parent=\"4000:2\"/>\n<object id=\"4000:2\" name=\"B\" parent=\"4000:1\"/>\n"
       "<object id=\"x\" name=\"C\"/>\n",
       4, "one of its own descendants"},
      {"a repeated id among numbers too far apart for a table",
       "<object id=\"3023:4000000000\" name=\"A\"/>\n<object id=\"3023:1\" name=\"B\"/>\n"
       "<object id=\"3023:4000000000\" name=\"C\"/>\n",
       5, "duplicate object id '3023:4000000000'"},
  };
  ExpectEachFails(cases, "earliest.xml");
}

TEST(RpFileLoad, RepeatedTuplesSharingAFirstArgumentAreLoadedOnce) {
  // One role stands first in every tuple, in two relations; repeats, near
  // and far, are dropped and the rest keep their order in the file.
  const std::string doc = Document(
      "<object id=\"4206:1\" name=\"R\"/>\n<object id=\"4206:2\" name=\"S\"/>\n"
      "<object id=\"1501:1\" name=\"u1\"/>\n<object id=\"1501:2\" name=\"u2\"/>\n<object id=\"1501:3\" name=\"u3\"/>\n"
      "<tuple rel=\"35\" args=\"4206:1 1501:2\"/>\n<tuple rel=\"35\" args=\"4206:1 1501:1\"/>\n"
      "<tuple rel=\"35\" args=\"4206:1 1501:2\"/>\n<tuple rel=\"36\" args=\"4206:1 4206:2\"/>\n"
      "<tuple rel=\"35\" args=\"4206:1 1501:3\"/>\n<tuple rel=\"36\" args=\"4206:1 4206:2\"/>\n"
      "<tuple rel=\"35\" args=\"4206:1 1501:1\"/>\n");
  std::unique_ptr<ARpGateway> rp = RpFile::LoadFromMemory(doc.data(), doc.size());
  std::vector<std::uint32_t> handles;
  rp->FindTuplesOf(VoidID(4206, 1), handles);
  std::string seen;
  for (std::uint32_t h : handles) {
    const ARpGateway::RelTuple* t = rp->GetTuple(h);
    ASSERT_NE(t, nullptr);
    seen += std::to_string(t->m_rel.m_systemID) + ":" + ToNarrow(t->m_args[1].ToString()) + " ";
  }
  EXPECT_EQ(seen, "35:1501:2 35:1501:1 36:4206:2 35:1501:3 ");
  handles.clear();
  rp->FindTuplesOf(VoidID(1501, 1), handles);
  EXPECT_EQ(handles.size(), 1u);
}

TEST(RpFileErrors, DocumentLevelProblems) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "malformed XML"},
      {"<?xml version=\"1.0\"?>\n<repository format=\"2\"/>\n", "unsupported repository file format '2'"},
      {"<?xml version=\"1.0\"?>\n<objects/>\n", "unknown element <objects>"},
      {"<?xml version=\"1.0\"?>\n<object id=\"3023:1\" name=\"A\"/>\n", "expected <repository>"},
      {"<repository format=\"1\">", "malformed XML"},
  };
  for (const auto& [doc, message] : cases) {
    const auto e = Caught<RpFileError>([&] { RpFile::LoadFromMemory(doc.data(), doc.size(), "d.xml"); }, doc);
    if (e) {
      EXPECT_NE(e->GetMessage().find(message), std::string::npos) << e->what();
    }
  }
  // An external entity is never read: the name stays without the file.
  const std::string external =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n<repository format=\"1\" "
      "name=\"&e;\"/>\n";
  try {
    EXPECT_EQ(RpFile::LoadFromMemory(external.data(), external.size(), "d.xml")->GetLogicalName().find(U"root:"),
              VXString::npos);
  } catch (const RpFileError&) {
  }
}

TEST(RpFileLoad, WhatADocumentTypeDeclarationBringsIsKept) {
  // An entity declared in the file names an object; an attribute default
  // names the repository (each in a file of its own, so that neither can
  // lean on what the other makes the reader do).
  const std::string head = "<?xml version=\"1.0\"?>\n<!DOCTYPE repository [";
  const std::string objects = "<object id=\"3023:1\" name=\"DW\"/>\n</repository>\n";
  const std::string entity = head + "<!ENTITY t \"ORDERS\">]>\n<repository format=\"1\">\n" +
                             "<object id=\"3001:1\" name=\"&t;\" parent=\"3023:1\"/>\n" + objects;
  std::unique_ptr<ARpGateway> rp = RpFile::LoadFromMemory(entity.data(), entity.size());
  EXPECT_EQ(rp->GetObject(VoidID(3001, 1))->GetName(), U"ORDERS");
  const std::string attribute =
      head + "<!ATTLIST repository name CDATA \"Shop\">]>\n<repository format=\"1\">\n" + objects;
  rp = RpFile::LoadFromMemory(attribute.data(), attribute.size());
  EXPECT_EQ(rp->GetLogicalName(), U"Shop");
}

TEST(RpFileErrors, AnEntityExpansionBombIsRefused) {
  // Ten levels of ten references: 10^10 characters if expanded. The reader
  // stops at its limit of entity expansions and names the line.
  std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE repository [\n<!ENTITY a \"aaaaaaaaaa\">\n";
  for (char c = 'b'; c <= 'k'; ++c) {
    doc += std::string("<!ENTITY ") + c + " \"";
    for (int i = 0; i < 10; ++i) doc += std::string("&") + char(c - 1) + ";";
    doc += "\">\n";
  }
  doc += "]>\n<repository format=\"1\">\n<object id=\"3023:1\" name=\"&k;\"/>\n</repository>\n";
  const auto e = Caught<RpFileError>([&] { RpFile::LoadFromMemory(doc.data(), doc.size(), "bomb.xml"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetLine(), 16u) << e->what();
  EXPECT_NE(e->GetMessage().find("malformed XML"), std::string::npos) << e->what();
}

TEST(RpFileErrors, TextBeyondTheLastCodePointIsNotWritten) {
  ARpGateway rp;
  RpBuilder(rp).Add(kTIDADatabase, VXString(1, char32_t(0x110000)));
  EXPECT_THROW(RpFile::SaveToString(rp), RpFileError);
}

TEST(RpFileErrors, OnlyExistingRegularFilesAreLoaded) {
  const std::pair<std::string, const char*> cases[] = {{"/tmp", "not a regular file"},
                                                       {"/dev/zero", "not a regular file"},
                                                       {"/nonexistent/dir/repo.xml", "cannot open"}};
  for (const auto& [path, message] : cases) {
    const auto e = Caught<RpFileError>([&] { RpFile::Load(path); }, path);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->GetSource(), path);
    EXPECT_NE(e->GetMessage().find(message), std::string::npos) << e->what();
  }
  ARpGateway rp;
  EXPECT_THROW(RpFile::Save(rp, "/nonexistent/dir/repo.xml"), RpFileError);
}

TEST(RpFileSave, ReplacesAnExistingFileWhole) {
  const testutil::ScratchDir dir;
  const std::string path = dir.Path("saved.xml");
  std::unique_ptr<ARpGateway> rp = RpFile::Load(kSample);
  RpFile::Save(*rp, path);
  ARpGateway empty;
  RpFile::Save(empty, path);
  std::unique_ptr<ARpGateway> back = RpFile::Load(path);
  EXPECT_EQ(back->GetObjectCount(), 0u);
}

}  // namespace
