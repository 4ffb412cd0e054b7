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
  auto q = s.b.Add(kTIDADatabase, U"A\"B");
  EXPECT_EQ(RpObject::GenerateQualifiedName(q.Obj()), U"\"A\"\"B\"");
}

TEST(ObjectNaming, EmptyFirstAndLastSegmentsAreQuoted) {
  struct Case {
    VXString in, out;
  } cases[] = {
      {U"", U"\"\""},  // one segment, empty: both first and last
      {U"\"A\"", U"\"A\""}, {U".\"B\"", U"\"\".\"B\""},         {U"\"A\".", U"\"A\".\"\""},
      {U".", U"\"\".\"\""}, {U"\"A\"..\"Z\"", U"\"A\"..\"Z\""},
  };
  for (const Case& c : cases) EXPECT_EQ(RpObject::MakeQuotedEmptyFirstAndLastNames(c.in), c.out) << ToNarrow(c.in);
}

TEST(ObjectNaming, AccordionTable) {
  struct Case {
    TypeID child, parent;
    int depth;
  } cases[] = {
      {kTIDATable, kTIDADatabase, 2},
      {kTIDATable, kTIDACatalog, 1},
      {kTIDATable, kTIDASchema, 0},
      {kTIDACubeTable, kTIDADatabase, 2},
      {kTIDASchema, kTIDADatabase, 1},
      {kTIDASchema, kTIDACatalog, 0},
      {kTIDAEntityFolder, kTIDACatalogFolder, 1},
      {kTIDAEntityFolder, kTIDASchemaFolder, 0},
      {kTIDAFolderAttr, kTIDAEntityFolder, 0},
      {kTIDAColumn, kTIDATable, 0},
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
  // Renaming back and forth does not repeat aliases; a case-only rename adds none.
  s.rp.RenameObject(s.sa, U"Sales");
  s.rp.RenameObject(s.sa, U"Sales Area");
  s.rp.RenameObject(s.sa, U"SALES AREA");
  aliases.clear();
  sa->GetAliases(aliases);
  EXPECT_EQ(aliases, (VXStringVector{U"Sales", U"Sales Area"}));
}

// The repository compares names by the server's one string policy: simple
// case folding beyond ASCII in the name index and the name tests, and the
// full wildcard syntax ("%" as a star, backslash escapes) in the wildcard test.
TEST(ObjectNaming, NameTestsFollowTheServerStringRules) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto street = b.Add(kTIDADatabase, U"Stra\u00dfe 100%");
  auto apples = b.Add(kTIDADatabase, U"\u00c4pfel*");
  apples.Rename(U"Fruit");
  Ref<ARpObject> s = street.Obj();
  Ref<ARpObject> a = apples.Obj();

  EXPECT_TRUE(s->IsNameOrAlias(U"STRA\u1E9EE 100%"));  // capital sharp s folds to sharp s
  EXPECT_FALSE(s->IsNameOrAlias(U"STRASSE 100%"));     // simple folding: no expansion
  EXPECT_TRUE(a->IsNameOrAlias(U"\u00e4PFEL*"));       // a former name, other case
  struct Case {
    const Ref<ARpObject>& obj;
    VXString pattern;
    bool match;
  } cases[] = {
      {s, U"stra%", true},        {s, U"*100\\%", true},       {s, U"*100\\%?", false},
      {s, U"STRA\u1E9E?%", true}, {a, U"\u00e4pfel\\*", true}, {a, U"\u00e4pfel\\?", false},
      {a, U"fr?it", true},        {a, U"%uit", true},          {a, U"\\%uit", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.obj->IsWildcardNameOrAlias(c.pattern), c.match) << ToNarrow(c.pattern);
  }

  // The name index hashes the same folded form the comparison uses.
  VoidIDVector ids;
  rp.LookupObjects(TypedObjectNameCondition(kTIDADatabase, U"STRA\u1E9EE 100%", false), ids);
  EXPECT_EQ(ids, (VoidIDVector{street.Id()}));
  ids.clear();
  rp.LookupObjects(TypedObjectNameCondition(kTIDADatabase, U"\u00e4pfel*", true), ids);
  EXPECT_EQ(ids, (VoidIDVector{apples.Id()}));
}

}  // namespace

TEST(ObjectNaming, ManyAliasesKeepTheirOrderAndRefuseRepeats) {
  // Past a handful of aliases the repeat check answers from a set: the rule
  // stays the same on both sides of that change.
  ARpGateway rp;
  const VoidID sa = RpBuilder(rp).Add(kTIDASubjectArea, U"Sales");
  VXStringVector expected;
  for (int i = 0; i < 40; ++i) {
    const VXString alias = U"Former " + ToVXString(std::to_string(i));
    EXPECT_TRUE(rp.AddAlias(sa, alias)) << i;
    expected.push_back(alias);
    // Every alias added so far is refused again, early ones and the last.
    EXPECT_FALSE(rp.AddAlias(sa, expected.front())) << i;
    EXPECT_FALSE(rp.AddAlias(sa, alias)) << i;
  }
  EXPECT_TRUE(rp.AddAlias(sa, U"former 0"));  // differs in case: another alias
  expected.push_back(U"former 0");
  EXPECT_EQ(rp.GetObject(sa)->GetAliasList(), expected);
  EXPECT_TRUE(rp.GetObject(sa)->IsNameOrAlias(U"FORMER 39"));
  // A rename that keeps the old name adds it once, however many there are.
  rp.RenameObject(sa, U"Revenue");
  rp.RenameObject(sa, U"Sales");
  rp.RenameObject(sa, U"Revenue");
  VXStringVector aliases = rp.GetObject(sa)->GetAliasList();
  EXPECT_EQ(std::count(aliases.begin(), aliases.end(), U"Sales"), 1);
  EXPECT_EQ(std::count(aliases.begin(), aliases.end(), U"Revenue"), 1);
}

TEST(ObjectParentTable, CyclesAreRefusedAtAnyDepth) {
  ARpGateway rp;
  RpBuilder b(rp);
  const VoidID top = b.Add(kTIDACatalogFolder, U"Top");
  std::vector<VoidID> chain{b.Add(kTIDAFolder, U"F0", top)};
  for (int i = 1; i < 50; ++i) chain.push_back(b.Add(kTIDAFolder, U"F" + ToVXString(std::to_string(i)), chain.back()));
  Ref<AFolder> first(rp.GetObject(chain.front()));
  Ref<AFolder> last(rp.GetObject(chain.back()));
  EXPECT_THROW(first->SetContainer(last), VXAssertException);
  EXPECT_THROW(last->SetContainer(last), VXAssertException);  // a leaf under itself
  EXPECT_EQ(rp.GetObject(chain.front())->GetParentObject().GetID(), top);
  // Moving the leaf under the first folder is no cycle.
  last->SetContainer(first);
  EXPECT_EQ(rp.GetObject(chain.back())->GetParentObject().GetID(), chain.front());
}
