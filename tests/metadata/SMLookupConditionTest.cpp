// Matching, parent conditions, gateway hints, name helpers and the orderings
// of the name records.
#include <gtest/gtest.h>

#include <memory>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupConditionShared.h"
#include "SMLookupConditionTestRepo.h"
#include "common/Caught.h"

namespace {

using Named = NamedInterfaceTypeCondition;
using Flexible = FlexibleNamedInterfaceTypeCondition;
using Q = QualifiedName;

// Counts the objects the gateway hands it, to see the index narrowing.
template <class Base>
class Counting : public Base {
 public:
  using Base::Base;
  bool operator()(const Ref<ARpObject>& obj) const override {
    ++m_visits;
    return Base::operator()(obj);
  }
  mutable int m_visits = 0;
};

}  // namespace

TEST(LookupCondition, ConstructorsSetNameAndMode) {
  const Named oneSegment(kTIDACatalogFolder, Q{U"Sales"}, false);
  EXPECT_TRUE(oneSegment.IsQualifiedNameMatch());  // whatever the segment count
  EXPECT_EQ(oneSegment.GetObjectName(), U"Sales");
  EXPECT_EQ(oneSegment.GetQName(), MetadataUtil::ToQualifiedName(Q{U"Sales"}));
  EXPECT_FALSE(oneSegment.IsFullyQualifiedSearch());

  const Named empty(TypeIDVector{kTIDATable, kTIDACubeTable}, Q{}, true);
  EXPECT_EQ(empty.GetObjectName(), U"");
  EXPECT_EQ(empty.GetEligibleTypes(), (TypeIDVector{kTIDATable, kTIDACubeTable}));
  EXPECT_TRUE(empty.IsAliasMatching());

  const Named noParent(kTIDAEntityFolder, U"Orders", Q{}, false);
  EXPECT_FALSE(noParent.IsQualifiedNameMatch());
  EXPECT_EQ(noParent.GetQualifiedName(), Q{U"Orders"});

  const Named withParent(TypeIDVector{kTIDAEntityFolder}, U"Orders", Q{U"Sales", U""}, false);
  EXPECT_TRUE(withParent.IsQualifiedNameMatch());
  EXPECT_EQ(withParent.GetQualifiedName(), (Q{U"Sales", U"", U"Orders"}));
  EXPECT_EQ(withParent.GetQName(), MetadataUtil::ToQualifiedName(Q{U"Sales", U"", U"Orders"}));
  EXPECT_TRUE(withParent.IsFullyQualifiedSearch());
  EXPECT_EQ(withParent.GetConditionType(), ACondition::NamedInterfaceType);

  // The flexible condition.
  const Flexible one(TypeIDVector{kTIDAEntityFolder}, Q{U"Orders"}, false);
  EXPECT_FALSE(one.IsFlexibleNameMatch());
  EXPECT_FALSE(one.IsFullyQualifiedSearch());
  EXPECT_EQ(one.GetNameSize(), 1);
  const Flexible two(TypeIDVector{kTIDAEntityFolder}, Q{U"", U"Orders"}, true);
  EXPECT_TRUE(two.IsFlexibleNameMatch());
  EXPECT_TRUE(two.IsFullyQualifiedSearch());
  EXPECT_EQ(two.GetObjectName(), U"Orders");
  EXPECT_EQ(two.GetConditionType(), ACondition::FlexibleNamedInterfaceType);
  const Flexible none(TypeIDVector{kTIDAEntityFolder}, Q{}, false);
  EXPECT_EQ(none.GetObjectName(), U"");
  EXPECT_EQ(none.GetNameSize(), 0);
}

TEST(LookupConditionNamed, Matching) {
  LookupTestRepo r;
  struct Case {
    const char* what;
    Named cond;
    VoidIDVector expected;
  };
  const Case cases[] = {
      {"whole name, any case", Named(kTIDAEntityFolder, Q{U"sales", U"", U"ORDERS"}, false), {r.salesOrders}},
      {"whole name without the empty level", Named(kTIDAEntityFolder, Q{U"Sales", U"Orders"}, false), {}},
      {"one segment still compares the whole name", Named(kTIDAEntityFolder, Q{U"Orders"}, false), {}},
      {"one segment names a top-level object", Named(kTIDACatalogFolder, Q{U"sales"}, false), {r.sales}},
      {"empty parent: the object name alone",
       Named(kTIDAEntityFolder, U"orders", Q{}, false),
       {r.salesOrders, r.hrOrders, r.deepOrders}},
      {"type not eligible", Named(kTIDATable, Q{U"Sales", U"", U"Orders"}, false), {}},
      {"several types",
       Named(TypeIDVector{kTIDATable, kTIDAEntityFolder}, U"Orders", Q{}, false),
       {r.ordersInSchema, r.ordersInDb, r.salesOrders, r.hrOrders, r.deepOrders}},
      {"physical name with accordion levels",
       Named(kTIDATable, U"Orders", Q{U"Sales DB", U"", U""}, false),
       {r.ordersInDb}},
      {"former name of the table without alias matching",
       Named(kTIDAEntityFolder, Q{U"Sales", U"", U"Orders Old"}, false),
       {}},
      {"former name of the table with alias matching",
       Named(kTIDAEntityFolder, Q{U"Sales", U"", U"orders old"}, true),
       {r.salesRenamed}},
      {"former name alone, alias matching", Named(kTIDACatalogFolder, U"old sales", Q{}, true), {r.sales}},
      {"former name alone, no alias matching", Named(kTIDACatalogFolder, U"old sales", Q{}, false), {}},
      {"no eligible types", Named(TypeIDVector{}, U"Orders", Q{}, false), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(r.Lookup(c.cond), c.expected);
    // The gateway's answer is the condition's own answer over every object.
    for (const VoidID& id : c.expected) EXPECT_TRUE(c.cond(r.Get(id)));
  }
  EXPECT_FALSE(Named(kTIDAEntityFolder, U"Orders", Q{}, false)(Ref<ARpObject>()));
}

TEST(LookupConditionFlexible, Matching) {
  LookupTestRepo r;
  const TypeIDVector tables{kTIDAEntityFolder};
  struct Case {
    const char* what;
    Flexible cond;
    VoidIDVector expected;
  };
  const Case cases[] = {
      {"empty lead: any subject area",
       Flexible(tables, Q{U"", U"Orders"}, false),
       {r.salesOrders, r.hrOrders, r.deepOrders}},
      {"empty lead reaches a table through its former name",
       Flexible(tables, Q{U"", U"ORDERS OLD"}, false),
       {r.salesRenamed}},
      {"full name", Flexible(tables, Q{U"Sales", U"", U"Orders"}, true), {r.salesOrders}},
      {"full name through the subject area's former name",
       Flexible(tables, Q{U"old sales", U"", U"Orders"}, true),
       {r.salesOrders}},
      {"both former names", Flexible(tables, Q{U"Old Sales", U"", U"Orders Old"}, false), {r.salesRenamed}},
      // The subject area's former name only counts when the whole name is
      // given; the lookups widen a two-segment name first.
      {"two segments skip the empty level", Flexible(tables, Q{U"Sales", U"Orders"}, false), {}},
      {"folder level", Flexible(tables, Q{U"Folder", U"Orders"}, false), {r.deepOrders}},
      {"longer than any name", Flexible(tables, Q{U"", U"Sales", U"", U"Orders"}, false), {}},
      {"only empty segments",
       Flexible(tables, Q{U"", U""}, false),
       {r.salesOrders, r.salesRenamed, r.hrOrders, r.deepOrders}},
      {"one segment, no alias matching", Flexible(tables, Q{U"orders old"}, false), {}},
      {"one segment, alias matching", Flexible(tables, Q{U"orders old"}, true), {r.salesRenamed}},
      {"other types compare plainly",
       Flexible(TypeIDVector{kTIDATable}, Q{U"", U"dbo", U"orders"}, false),
       {r.ordersInSchema}},
      {"physical tables at any depth",
       Flexible(TypeIDVector{kTIDATable}, Q{U"", U"Orders"}, false),
       {r.ordersInSchema, r.ordersInDb}},
      {"business model and logical table", Flexible(TypeIDVector{kTIDALogicalTable}, Q{U"bm", U"fact"}, false), {r.lt}},
      {"whole physical name",
       Flexible(TypeIDVector{kTIDATable}, Q{U"sales db", U"CAT", U"Dbo", U"orders"}, false),
       {r.ordersInSchema}},
      // Only the outermost segment differs: the name does not fit, whatever
      // the type (a subject area's former name is a presentation rule).
      {"whole physical name, other database",
       Flexible(TypeIDVector{kTIDATable}, Q{U"Old Sales", U"Cat", U"dbo", U"Orders"}, false),
       {}},
      {"whole presentation name, other subject area", Flexible(tables, Q{U"Finance", U"", U"Orders"}, true), {}},
      {"a subject area's former name reaches its own tables only",
       Flexible(tables, Q{U"Old Sales", U"", U"ORDERS"}, false),
       {r.salesOrders}},
      {"the empty level must be empty", Flexible(tables, Q{U"Sales", U"X", U"Orders"}, false), {}},
      {"a folder level in a whole name (no empty level below a folder)",
       Flexible(tables, Q{U"hr", U"folder", U"orders"}, false),
       {r.deepOrders}},
      {"empty lead, inner segment differs", Flexible(tables, Q{U"", U"Other", U"Orders"}, false), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(r.Lookup(c.cond), c.expected);
    // The lookups' borrowing view answers as the owning condition does.
    const smlookup::FlexibleNameView view(c.cond.GetEligibleTypes(), c.cond.GetFlexibleName(),
                                          c.cond.IsAliasMatching());
    EXPECT_EQ(r.Lookup(view), c.expected);
  }
  const Flexible any(tables, Q{U"", U"Orders"}, false);
  EXPECT_FALSE(any(Ref<ARpObject>()));
  EXPECT_FALSE(any.IsNameFlexibleMatch(Ref<ARpObject>(), Q{U"", U"Orders"}));
  // A presentation table that has lost its subject area matches nothing.
  r.rp.DeleteObject(r.hr, false);
  EXPECT_FALSE(any(r.Get(r.hrOrders)));
}

TEST(LookupConditionHints, GatewayVisitsOnlyCandidates) {
  LookupTestRepo r;
  for (int i = 0; i < 40; ++i) r.b.At(r.sales).Child(kTIDAEntityFolder, U"T" + ToVXString(std::to_string(i)));

  Counting<Named> named(kTIDAEntityFolder, Q{U"Sales", U"", U"orders old"}, true);
  EXPECT_EQ(r.Lookup(named), (VoidIDVector{r.salesRenamed}));
  EXPECT_EQ(named.m_visits, 1);

  // Through the table's former name and the area's: still one candidate.
  Counting<Flexible> flexible(TypeIDVector{kTIDAEntityFolder}, Q{U"Old Sales", U"", U"Orders Old"}, false);
  EXPECT_EQ(r.Lookup(flexible), (VoidIDVector{r.salesRenamed}));
  EXPECT_EQ(flexible.m_visits, 1);

  // An empty last segment gives no name to narrow by: every table is seen.
  Counting<Flexible> anyName(TypeIDVector{kTIDAEntityFolder}, Q{U"HR", U""}, false);
  EXPECT_TRUE(r.Lookup(anyName).empty());
  EXPECT_EQ(anyName.m_visits, 44);

  // A hint borrows from its condition, which therefore outlives it here.
  LookupHint hint;
  const Named tables(TypeIDVector{kTIDATable, kTIDACubeTable}, U"X", Q{}, false);
  ASSERT_TRUE(tables.GetLookupHint(hint));
  EXPECT_TRUE(hint.m_bHasTypes && hint.m_bHasName);
  EXPECT_EQ(TypeIDVector(hint.m_types.begin(), hint.m_types.end()), (TypeIDVector{kTIDATable, kTIDACubeTable}));
  EXPECT_EQ(hint.m_name, U"X");
  const Named unnamed(kTIDATable, Q{U"A", U""}, false);
  ASSERT_TRUE(unnamed.GetLookupHint(hint));
  EXPECT_FALSE(hint.m_bHasName);
  EXPECT_FALSE(WildcardNameCondition(U"Ord*", false).GetLookupHint(hint));
}

TEST(LookupConditionWildcard, Matching) {
  LookupTestRepo r;
  EXPECT_EQ(r.Lookup(WildcardNameCondition(U"ord*s", false)),
            (VoidIDVector{r.ordersInSchema, r.ordersInDb, r.salesOrders, r.hrOrders, r.deepOrders}));
  EXPECT_TRUE(r.Lookup(WildcardNameCondition(U"*old", false)).empty());
  EXPECT_EQ(r.Lookup(WildcardNameCondition(U"*old", true)), (VoidIDVector{r.salesRenamed}));
  EXPECT_EQ(r.Lookup(WildcardNameCondition(U"old s?les", true)), (VoidIDVector{r.sales}));
  const WildcardNameCondition w(U"A*", true);
  EXPECT_EQ(w.GetObjectName(), U"A*");
  EXPECT_EQ(w.GetConditionType(), ACondition::WildCardName);
  EXPECT_FALSE(w(Ref<ARpObject>()));
}

TEST(LookupConditionText, NoLanguageHasATextForm) {
  const Named named(kTIDATable, Q{U"A"}, false);
  const WildcardNameCondition wildcard(U"*", false);
  const auto e = testutil::Caught<UnsupportedLanguage>([&] { named.ToConditionString(kQL_ODBCSql); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetLanguage(), kQL_ODBCSql);
  EXPECT_THROW(wildcard.ToConditionString(kQL_ODBCSql), UnsupportedLanguage);
}

TEST(LookupConditionParent, ShapesTypesAndTheContainerFound) {
  struct Case {
    QualifiedName name;
    QualifiedName parent;
  };
  const Case cases[] = {
      {{U"A", U"", U"", U"D"}, {U"A"}},
      {{U"A", U"B", U"D"}, {U"A", U"B"}},
      {{U"A", U"", U"C"}, {U"A"}},
      {{U"", U"", U"C"}, {U""}},  // at least one segment stays
      {{U"", U"C"}, {U""}},
      {{U"A", U"B"}, {U"A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToNarrow(MetadataUtil::ToQualifiedName(c.name)));
    std::unique_ptr<Named> named(Named(kTIDAEntityFolder, c.name, true).GetParentCondition());
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->GetQualifiedName(), c.parent);
    EXPECT_EQ(named->GetQName(), MetadataUtil::ToQualifiedName(c.parent));
    EXPECT_TRUE(named->IsQualifiedNameMatch());
    EXPECT_TRUE(named->IsAliasMatching());
    EXPECT_EQ(named->GetEligibleTypes(), (TypeIDVector{kTIDACatalogFolder, kTIDASchemaFolder}));

    std::unique_ptr<Flexible> flexible(Flexible(TypeIDVector{kTIDAColumn}, c.name, false).GetParentCondition());
    ASSERT_NE(flexible, nullptr);
    EXPECT_EQ(flexible->GetFlexibleName(), c.parent);
    EXPECT_EQ(flexible->GetNameSize(), static_cast<std::int32_t>(c.parent.size()));
    EXPECT_EQ(flexible->IsFlexibleNameMatch(), c.parent.size() >= 2);
    EXPECT_FALSE(flexible->IsAliasMatching());
    EXPECT_EQ(flexible->GetEligibleTypes(), (TypeIDVector{kTIDATable, kTIDACubeTable}));
  }
  // The parent types of several types, each once.
  std::unique_ptr<Named> p(
      Named(TypeIDVector{kTIDATable, kTIDACubeTable}, Q{U"D", U"", U"", U"T"}, false).GetParentCondition());
  EXPECT_EQ(p->GetEligibleTypes(), (TypeIDVector{kTIDASchema, kTIDACatalog, kTIDADatabase}));
  // The parent condition finds the container.
  LookupTestRepo r;
  std::unique_ptr<Named> area(Named(kTIDAEntityFolder, Q{U"sales", U"", U"Orders"}, false).GetParentCondition());
  EXPECT_EQ(r.Lookup(*area), (VoidIDVector{r.sales}));
  std::unique_ptr<Flexible> folder(
      Flexible(TypeIDVector{kTIDAEntityFolder}, Q{U"", U"Folder", U"Orders"}, false).GetParentCondition());
  EXPECT_EQ(r.Lookup(*folder), (VoidIDVector{r.schemaFolder}));
}

TEST(LookupConditionNames, MatchesNameOrAliasesAndOneOfTheNames) {
  LookupTestRepo r;
  EXPECT_TRUE(Named::MatchesNameOrAliases(U"SHIPMENTS", r.Get(r.salesRenamed)));
  EXPECT_TRUE(Named::MatchesNameOrAliases(U"orders old", r.Get(r.salesRenamed)));
  EXPECT_FALSE(Named::MatchesNameOrAliases(U"Orders", r.Get(r.salesRenamed)));
  EXPECT_FALSE(Named::MatchesNameOrAliases(U"Orders", Ref<ARpObject>()));

  EXPECT_TRUE(IsMatchOneOfTheNames(U"b", VXStringVector{U"A", U"B"}));
  EXPECT_FALSE(IsMatchOneOfTheNames(U"c", VXStringVector{U"A", U"B"}));
  EXPECT_FALSE(IsMatchOneOfTheNames(U"", VXStringVector{}));
}

TEST(LookupConditionNames, AddSchemaForCrystalReport) {
  struct Case {
    QualifiedName in;
    bool bChop;
    QualifiedName out;
  };
  const Case cases[] = {
      {{U"Sales", U"Orders", U"Amount"}, true, {U"Sales", U"", U"Orders"}},
      {{U"Sales", U"Orders", U"Amount"}, false, {U"Sales", U"", U"Orders", U"Amount"}},
      {{U"Sales", U"Orders"}, false, {U"Sales", U"", U"Orders"}},
      {{U"Sales", U"Orders"}, true, {U"Sales", U""}},
      {{U"Sales"}, true, {U"Sales", U""}},
      {{U"Sales"}, false, {U"Sales", U""}},
      {{}, false, {}},
  };
  for (const Case& c : cases) {
    QualifiedName out{U"stale"};
    EXPECT_EQ(&Named::AddSchemaForCrystalReport(c.in, out, c.bChop), &out);
    EXPECT_EQ(out, c.out);
  }
}

TEST(LookupConditionNames, AddObjectAndIdSets) {
  LookupTestRepo r;
  RpObjectVector v;
  AddObject(r.Get(r.db), v);
  AddObject(Ref<ARpObject>(), v);
  AddObject(Ref<ARpObject>(&r.rp, VoidID(kTIDATable, 999999)), v);
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0].GetID(), r.db);

  VoidIDSet set{VoidID(3001, 5)};
  InsertVoidIDVecToVoidIDSet(set, VoidIDVector{VoidID(3001, 7), VoidID(3001, 5), VoidID(2000, 1)});
  EXPECT_EQ(set, (VoidIDSet{VoidID(2000, 1), VoidID(3001, 5), VoidID(3001, 7)}));
}

TEST(LookupConditionRecords, DefaultsAndEquality) {
  const NameIDPair n;
  EXPECT_TRUE(n.m_name.empty());
  EXPECT_EQ(n.m_id, VoidID(0, UniqueNum::kUndefined));
  EXPECT_FALSE(n.m_id.IsNull());
  const QualifiedNameIDPair q;
  EXPECT_TRUE(q.m_qName.empty());
  EXPECT_EQ(q.m_id, VoidID(0, UniqueNum::kUndefined));

  EXPECT_EQ(NameIDPair(U"a", VoidID(1, 2)), NameIDPair(U"a", VoidID(1, 2)));
  EXPECT_FALSE(NameIDPair(U"a", VoidID(1, 2)) == NameIDPair(U"A", VoidID(1, 2)));
  EXPECT_FALSE(NameIDPair(U"a", VoidID(1, 2)) == NameIDPair(U"a", VoidID(1, 3)));
  const QualifiedNameIDPair ab(Q{U"a", U"b"}, VoidID(1, 2));
  EXPECT_EQ(ab, QualifiedNameIDPair(Q{U"a", U"b"}, VoidID(1, 2)));
  EXPECT_FALSE(ab == QualifiedNameIDPair(Q{U"a"}, VoidID(1, 2)));
  EXPECT_FALSE(ab == QualifiedNameIDPair(Q{U"a", U"b"}, VoidID(2, 2)));
}

TEST(LookupConditionRecords, Orderings) {
  struct NameCase {
    NameIDPair a, b;
    bool less;
  };
  const NameCase names[] = {
      {{U"a", VoidID(9, 9)}, {U"b", VoidID(1, 1)}, true},
      {{U"B", VoidID(1, 1)}, {U"a", VoidID(1, 1)}, true},            // code point order, not case-folded
      {{U"a", VoidID(-5, 9)}, {U"a", VoidID(1, 1)}, true},           // type id signed
      {{U"a", VoidID(1, 1)}, {U"a", VoidID(1, 0xFFFFFFF0u)}, true},  // unique number unsigned
      {{U"a", VoidID(1, 1)}, {U"a", VoidID(1, 1)}, false},
      {{U"ab", VoidID(1, 1)}, {U"a", VoidID(2, 2)}, false},
  };
  for (const NameCase& c : names) {
    EXPECT_EQ(c.a < c.b, c.less) << ToNarrow(c.a.m_name) << " " << ToNarrow(c.b.m_name);
    if (c.less) {
      EXPECT_FALSE(c.b < c.a);
    }
  }

  struct QCase {
    QualifiedNameIDPair a, b;
    bool less;
  };
  const QCase qnames[] = {
      {{{U"a"}, VoidID(9, 9)}, {{U"a", U"b"}, VoidID(1, 1)}, true},  // proper prefix first
      {{{U"a", U"b"}, VoidID(1, 1)}, {{U"a"}, VoidID(9, 9)}, false},
      {{{U"a", U"c"}, VoidID(1, 1)}, {{U"b"}, VoidID(1, 1)}, true},
      {{{U"a", U"b"}, VoidID(-1, 7)}, {{U"a", U"b"}, VoidID(0, 1)}, true},
      {{{U"a", U"b"}, VoidID(0, 1)}, {{U"a", U"b"}, VoidID(0, 2)}, true},
      {{{U"a", U"b"}, VoidID(0, 2)}, {{U"a", U"b"}, VoidID(0, 2)}, false},
      {{{}, VoidID(0, 2)}, {{U""}, VoidID(0, 1)}, true},
  };
  for (const QCase& c : qnames) {
    EXPECT_EQ(c.a < c.b, c.less);
    if (c.less) {
      EXPECT_FALSE(c.b < c.a);
    }
  }
}
