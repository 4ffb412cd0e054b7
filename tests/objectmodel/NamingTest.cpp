#include <gtest/gtest.h>

#include "SampleRepository.h"

namespace {

QualifiedName Segments(const Ref<ARpObject>& obj) {
  QualifiedName q;
  RpObject::GenerateQualifiedNameSegments(obj, q);
  return q;
}

TEST(ObjectNaming, SegmentsIncludeAccordionLevels) {
  SampleRepository s;
  struct Case {
    VoidID id;
    QualifiedName expected;
  } cases[] = {
      {s.orderId, {U"Sales DB", U"Cat", U"dbo", U"Orders", U"Id"}},
      {s.itemId, {U"Sales DB", U"", U"", U"Items", U"Id"}},
      {s.catTable, {U"Sales DB", U"Cat", U"", U"CatTable"}},
      {s.shortSchema, {U"Sales DB", U"", U"s2"}},
      {s.schema, {U"Sales DB", U"Cat", U"dbo"}},
      {s.presId, {U"Sales Area", U"", U"Orders", U"Id"}},
      {s.revenue, {U"BM", U"LT", U"Revenue"}},
      {s.db, {U"Sales DB"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Segments(s.Get(c.id)), c.expected) << ToNarrow(c.id.ToString());
}

TEST(ObjectNaming, WrittenQualifiedName) {
  SampleRepository s;
  EXPECT_EQ(RpObject::GenerateQualifiedName(s.Get(s.orderId)), U"\"Sales DB\".\"Cat\".\"dbo\".\"Orders\".\"Id\"");
  EXPECT_EQ(RpObject::GenerateQualifiedName(s.Get(s.itemId)), U"\"Sales DB\"...\"Items\".\"Id\"");
  EXPECT_EQ(RpObject::GenerateQualifiedName(s.Get(s.presOrders)), U"\"Sales Area\"..\"Orders\"");
  EXPECT_EQ(RpObject::GenerateQualifiedName(Ref<ARpObject>()), U"");
  auto q = s.b.Add(kTIDADatabase, U"A\"B");
  EXPECT_EQ(RpObject::GenerateQualifiedName(q.Obj()), U"\"A\"\"B\"");
}

TEST(ObjectNaming, EmptyFirstAndLastSegmentsAreQuoted) {
  struct Case {
    VXString in, out;
  } cases[] = {
      {U"", U"\"\""},  // one segment, empty: both first and last
      {U"\"A\"", U"\"A\""},
      {U".\"B\"", U"\"\".\"B\""},
      {U"\"A\".", U"\"A\".\"\""},
      {U".", U"\"\".\"\""},
      {U"\"A\"..\"Z\"", U"\"A\"..\"Z\""},
  };
  for (const Case& c : cases) EXPECT_EQ(RpObject::MakeQuotedEmptyFirstAndLastNames(c.in), c.out) << ToNarrow(c.in);
  // A name made only of an empty segment still reads back as one segment.
  ARpGateway rp;
  Ref<ARpObject> unnamed = rp.CreateObject(kTIDADatabase, U"");
  EXPECT_EQ(RpObject::GenerateQualifiedName(unnamed), U"\"\"");
}

TEST(ObjectNaming, AccordionTable) {
  struct Case {
    TypeID child, parent;
    int depth;
  } cases[] = {
      {kTIDATable, kTIDADatabase, 2},   {kTIDATable, kTIDACatalog, 1},          {kTIDATable, kTIDASchema, 0},
      {kTIDACubeTable, kTIDADatabase, 2}, {kTIDASchema, kTIDADatabase, 1},       {kTIDASchema, kTIDACatalog, 0},
      {kTIDAEntityFolder, kTIDACatalogFolder, 1}, {kTIDAEntityFolder, kTIDASchemaFolder, 0},
      {kTIDAFolderAttr, kTIDAEntityFolder, 0}, {kTIDAColumn, kTIDATable, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(RpObject::AccordionDepth(c.child, c.parent), c.depth) << c.child;

  SampleRepository s;
  QualifiedName q{U"x"};
  RpObject::AddEmptyAccordionNames(kTIDATable, s.Get(s.db), q);
  EXPECT_EQ(q, (QualifiedName{U"x", U"", U""}));
  RpObject::AddEmptyAccordionNames(kTIDATable, Ref<ARpObject>(), q);
  EXPECT_EQ(q.size(), 3u);
}

TEST(ObjectParentTable, ParentsAndChildren) {
  SampleRepository s;
  EXPECT_EQ(GetObjectParent(s.Get(s.orders)).GetID(), s.schema);
  EXPECT_TRUE(GetObjectParent(s.Get(s.db)).IsNull());
  EXPECT_TRUE(GetObjectParent(Ref<ARpObject>()).IsNull());
  EXPECT_TRUE(CanHaveParent(kTIDAColumn));
  EXPECT_TRUE(CanHaveParent(kTIDARpVariable));
  EXPECT_FALSE(CanHaveParent(kTIDADatabase));
  EXPECT_FALSE(CanHaveParent(kTIDACatalogFolder));
  EXPECT_FALSE(CanHaveParent(12345));

  TypeIDVector parents;
  FindParentTypeIDs({kTIDAFolderAttr, kTIDAEntityFolder, kTIDAFolderAttr}, parents);
  EXPECT_EQ(parents, (TypeIDVector{kTIDAEntityFolder, kTIDAFolder, kTIDACatalogFolder, kTIDASchemaFolder}));
  // Appended after what the caller holds, even a type it holds already.
  TypeIDVector held{kTIDATable};
  FindParentTypeIDs({kTIDAColumn, kTIDATableKey}, held);
  EXPECT_EQ(held, (TypeIDVector{kTIDATable, kTIDATable, kTIDACubeTable}));

  RpObjectVector kids;
  GetChildrenOfType(&s.rp, s.Get(s.orders), kids, kTIDAColumn);
  ASSERT_EQ(kids.size(), 2u);
  EXPECT_EQ(kids[0]->GetName(), U"Id");
  EXPECT_EQ(kids[1]->GetName(), U"Amount");
  kids.clear();
  GetChildrenOfType(&s.rp, Ref<ARpObject>(), kids, kTIDADatabase);
  ASSERT_EQ(kids.size(), 1u);
  EXPECT_EQ(kids[0].GetID(), s.db);
}

TEST(ObjectParentTable, EveryTypeHasAMetaClassAndKnownParents) {
  for (TypeID t : AllCatalogueTypeIDs()) {
    const AMetaClass* meta = AMetaClass::FromTypeID(t);
    ASSERT_NE(meta, nullptr) << t;
    EXPECT_EQ(meta->GetTypeID(), t);
    ARpGateway rp;
    Ref<ARpObject> obj = rp.CreateObject(t, U"x");
    EXPECT_EQ(obj->GetMetaClass(), meta);
    for (TypeID p : GetParentTypeIDs(t)) EXPECT_NE(AMetaClass::FromTypeID(p), nullptr) << t << " under " << p;
  }
  EXPECT_EQ(AMetaClass::FromTypeID(kTIDASessionVariableBlock), AMetaClass::FromTypeID(kTIDAInitBlock));
}

TEST(ObjectParentTable, DisplayAndComparableTypes) {
  TypeIDVector display{999};
  TypesOfType::FillDisplayTypes(display);
  EXPECT_EQ(std::count(display.begin(), display.end(), 999), 0);
  EXPECT_NE(std::find(display.begin(), display.end(), kTIDAFolderAttr), display.end());
  EXPECT_EQ(std::find(display.begin(), display.end(), kTIDAAttributeDefn), display.end());
  EXPECT_TRUE(TypesOfType::IsCompareableType(kTIDATable));
  EXPECT_FALSE(TypesOfType::IsCompareableType(kTIDAAttributeDefn));
  EXPECT_FALSE(TypesOfType::IsCompareableType(4242));
}

TEST(ObjectParentTable, SettersRefuseWrongParentTypes) {
  SampleRepository s;
  Ref<AColumn> col(s.Get(s.orderId));
  EXPECT_THROW(col->SetTable(s.Get(s.db)), VXAssertException);
  EXPECT_EQ(col->GetTable().GetID(), s.orders);
  col->SetTable(s.Get(s.items));
  EXPECT_EQ(col->GetTable().GetID(), s.items);
  EXPECT_THROW(s.rp.CreateObject(kTIDAColumn, U"c", s.db), VXAssertException);
  EXPECT_THROW(s.rp.CreateObject(4242, U"c"), VXAssertException);
  // A folder cannot move under itself.
  auto f = s.b.Add(kTIDAFolder, U"f", s.presOrders);
  auto g = f.Child(kTIDAFolder, U"g");
  Ref<AFolder> folder(f.Obj());
  EXPECT_THROW(folder->SetContainer(g.As<AFolder>()), VXAssertException);
}

TEST(ObjectNaming, AliasesAreFormerNames) {
  SampleRepository s;
  Ref<ARpObject> sa = s.Get(s.sa);
  VXStringVector aliases{U"keep"};
  sa->GetAliases(aliases);
  EXPECT_EQ(aliases, (VXStringVector{U"keep", U"Sales"}));
  EXPECT_TRUE(sa->IsNameOrAlias(U"SALES"));
  EXPECT_TRUE(sa->IsNameOrAlias(U"sales area"));
  EXPECT_FALSE(sa->IsNameOrAlias(U"Sale"));
  EXPECT_TRUE(sa->IsWildcardNameOrAlias(U"sal*"));
  EXPECT_TRUE(sa->IsWildcardNameOrAlias(U"*AREA"));
  EXPECT_TRUE(sa->IsWildcardNameOrAlias(U"S?les"));
  EXPECT_FALSE(sa->IsWildcardNameOrAlias(U"x*"));
  // Renaming back and forth does not repeat aliases; a case-only rename adds none.
  s.rp.RenameObject(s.sa, U"Sales");
  s.rp.RenameObject(s.sa, U"Sales Area");
  s.rp.RenameObject(s.sa, U"SALES AREA");
  aliases.clear();
  sa->GetAliases(aliases);
  EXPECT_EQ(aliases, (VXStringVector{U"Sales", U"Sales Area"}));
}

TEST(RpNameMatching, FoldingAndWildcards) {
  EXPECT_TRUE(RpName::EqualsNoCase(U"Stra\u00dfe", U"STRA\u00dfE"));
  EXPECT_TRUE(RpName::EqualsNoCase(U"\u00c4pfel", U"\u00e4PFEL"));
  EXPECT_FALSE(RpName::EqualsNoCase(U"ab", U"abc"));
  EXPECT_EQ(RpName::FoldedHash(U"ORDERS"), RpName::FoldedHash(U"orders"));
  struct Case {
    VXString name, pattern;
    bool match;
  } cases[] = {
      {U"", U"", true},       {U"", U"*", true},          {U"a", U"", false},        {U"abc", U"a*c", true},
      {U"abc", U"a*b", false}, {U"aXbYc", U"*b*c", true},  {U"abc", U"???", true},    {U"abc", U"????", false},
      {U"ABC", U"a*", true},  {U"mississippi", U"*sip*", true}, {U"abab", U"*ab", true}, {U"aaa", U"a*a*a*a", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RpName::WildcardMatchNoCase(c.name, c.pattern), c.match) << ToNarrow(c.name) << " ~ " << ToNarrow(c.pattern);
  }
}

}  // namespace
