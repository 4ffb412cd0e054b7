#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Metadata/SMUtil.h"
#include "Metadata/VXSModelDependencyChecker.h"
#include "Utility/VXAssert.h"
#include "common/Ids.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"

namespace {

using testutil::IDs;
constexpr const char* kSrc = "server/Metadata/Src/SMDelete.cpp";
const char* const kAssert1 = "!(relRoleID.second == 1 || relRoleID.second == 0) || iArg == 2";
const char* const kAssert2 = "relRoleID.second != 1 || iArg == 2";
const char* const kAssert3 = "relRoleID.second != 1 || iArg == 0";
const char* const kRoleLogicError = "relRoleID.second == 1";

// What a call did: an answer, or the assertion it raised.
struct Outcome {
  bool bThrew = false;
  bool bAnswer = false;
  bool bLogicError = false;
  std::string condition;
  std::string file;
};

template <class Fn>
Outcome Call(Fn fn) {
  Outcome o;
  try {
    o.bAnswer = fn();
  } catch (const VXAssertException& e) {
    o.bThrew = true;
    o.bLogicError = e.IsLogicError();
    o.condition = e.GetCondition();
    o.file = e.GetFile();
    EXPECT_GT(e.GetLine(), 0);
  }
  return o;
}

// o raised condition from the checker's source, a logic error or not.
void ExpectAssertion(const Outcome& o, const std::string& condition, bool bLogicError, const std::string& where) {
  EXPECT_TRUE(o.bThrew) << where;
  EXPECT_EQ(o.bLogicError, bLogicError) << where;
  EXPECT_EQ(o.condition, condition) << where;
  EXPECT_EQ(o.file, kSrc) << where;
}

// A small repository for the predicate's arguments.
struct Scratch {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID db = b.Add(kTIDADatabase, U"DB");
  VoidID table = b.At(db).Child(kTIDATable, U"T");
  Ref<ARpObject> Get(const VoidID& id) { return rp.GetObject(id); }
};

// ---- possible dependencies ---------------------------------------------------

TEST(DeleteDependencyChecker, PossibleDependenciesByRelationshipAndRole) {
  struct Case {
    int rel, role;
    std::optional<int> appended;  // none: false and nothing appended
  };
  const Case cases[] = {
      {40, 0, 2},   {40, 1, 2},   {40, 2, {}},  {40, 3, {}},   //
      {41, 0, {}},  {41, 1, 2},   {41, 2, {}},                 //
      {109, 0, 1},  {109, 1, 0},                               //
      {111, 0, {}}, {111, 1, 0},  {111, 2, {}},                //
      {329, 0, 1},  {329, 1, {}}, {329, 2, {}},                //
      {1, 0, {}},   {1, 1, {}},   {30, 0, {}},  {31, 1, {}},   //
      {44, 1, {}},  {50, 0, {}},  {110, 0, {}}, {330, 0, {}},  //
      {0, 0, {}},   {-40, 0, {}},
  };
  Scratch s;
  const VXSModelDependencyChecker checker;
  for (const Case& c : cases) {
    RpObjectDeleteContext ctx(s.Get(s.table));
    // Appended after what the caller already holds.
    SchemaCountVector args{7};
    const bool b =
        checker.HasPossibleDeleteDependencies(ctx, s.Get(s.table), RelationRoleID(RelID(c.rel), c.role), args);
    EXPECT_EQ(b, c.appended.has_value()) << c.rel << " role " << c.role;
    SchemaCountVector expected{7};
    if (c.appended) expected.push_back(*c.appended);
    EXPECT_EQ(args, expected) << c.rel << " role " << c.role;
  }
}

TEST(DeleteDependencyChecker, LevelParentLinkOtherRolesAreLogicErrors) {
  Scratch s;
  const VXSModelDependencyChecker checker;
  RpObjectDeleteContext ctx(s.Get(s.table));
  for (int role : {2, 3, -1}) {
    SchemaCountVector args;
    const Outcome o = Call([&] {
      return checker.HasPossibleDeleteDependencies(ctx, s.Get(s.table), RelationRoleID(RelID(109), role), args);
    });
    ExpectAssertion(o, kRoleLogicError, true, std::to_string(role));
    EXPECT_TRUE(args.empty());
    const Outcome d = Call([&] {
      return checker.IsDeleteDependent(ctx, s.Get(s.table), RelationRoleID(RelID(109), role), 0, s.Get(s.db));
    });
    ExpectAssertion(d, kRoleLogicError, true, std::to_string(role));
  }
}

// ---- is dependent ------------------------------------------------------------

TEST(DeleteDependencyChecker, IsDependentByRelationshipRoleAndPosition) {
  struct Case {
    int rel, role, iArg;
    bool bAnswer;
    const char* assertion;  // null: answers bAnswer
  };
  const Case cases[] = {
      // 40: a table on either side takes the join (position 2).
      {40, 0, 2, true, nullptr},
      {40, 1, 2, true, nullptr},
      {40, 0, 1, false, kAssert1},
      {40, 1, 0, false, kAssert1},
      {40, 0, 0, false, kAssert1},
      {40, 2, 0, false, nullptr},
      {40, 2, 2, false, nullptr},
      // 41: the referenced key takes the foreign key (position 2).
      {41, 1, 2, true, nullptr},
      {41, 1, 0, false, kAssert2},
      {41, 0, 2, false, nullptr},
      {41, 0, 1, false, nullptr},
      {41, 2, 0, false, nullptr},
      // 111: the dimension takes the presentation hierarchy (position 0).
      {111, 1, 0, true, nullptr},
      {111, 1, 1, false, kAssert3},
      {111, 1, 2, false, kAssert3},
      {111, 0, 1, false, nullptr},
      {111, 0, 0, false, nullptr},
      // 109 from the level: its parent-link roles go, whatever they are.
      {109, 0, 1, true, nullptr},
      // 329 from the key's side never takes anything.
      {329, 1, 0, false, nullptr},
      // Relationships the predicate does not decide.
      {1, 0, 1, false, nullptr},
      {30, 0, 1, false, nullptr},
      {31, 1, 0, false, nullptr},
      {44, 1, 2, false, nullptr},
      {77, 0, 1, false, nullptr},
  };
  Scratch s;
  const VXSModelDependencyChecker checker;
  for (const Case& c : cases) {
    RpObjectDeleteContext ctx(s.Get(s.table));
    const Outcome o = Call([&] {
      return checker.IsDeleteDependent(ctx, s.Get(s.table), RelationRoleID(RelID(c.rel), c.role), c.iArg, s.Get(s.db));
    });
    const std::string where =
        std::to_string(c.rel) + " role " + std::to_string(c.role) + " arg " + std::to_string(c.iArg);
    if (c.assertion) {
      ExpectAssertion(o, c.assertion, false, where);
    } else {
      EXPECT_FALSE(o.bThrew) << where << ": " << o.condition;
      EXPECT_EQ(o.bAnswer, c.bAnswer) << where;
    }
  }
}

TEST(DeleteDependencyChecker, KeyColumnSkipsKeysWhoseContainerIsMarked) {
  Scratch s;
  const VoidID column = s.b.At(s.table).Child(kTIDAColumn, U"C");
  const VoidID key = s.b.At(s.table).Child(kTIDATableKey, U"PK");
  const VoidID orphanKey = s.b.Add(kTIDATableKey, U"Loose");  // no container at all
  const VXSModelDependencyChecker checker;
  const RelationRoleID fromColumn(RelID(329), 0);
  {
    RpObjectDeleteContext ctx(s.Get(column));
    EXPECT_TRUE(checker.IsDeleteDependent(ctx, s.Get(column), fromColumn, 1, s.Get(key)));
    EXPECT_TRUE(checker.IsDeleteDependent(ctx, s.Get(column), fromColumn, 1, s.Get(orphanKey)));
  }
  {
    // The table is going: its key goes with it already.
    RpObjectDeleteContext ctx(s.Get(s.table));
    EXPECT_FALSE(checker.IsDeleteDependent(ctx, s.Get(column), fromColumn, 1, s.Get(key)));
  }
  {
    // Only the key itself being marked is not the rule's question.
    RpObjectDeleteContext ctx(s.Get(column));
    ctx.Mark(key);
    EXPECT_TRUE(checker.IsDeleteDependent(ctx, s.Get(column), fromColumn, 1, s.Get(key)));
  }
}

// ---- relationship 109 from the role ----------------------------------------------

// A dimension whose levels hang under roles of level-to-level relationships.
struct LevelLinks {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID bm = b.Add(kTIDASubjectArea, U"BM");
  VoidID dim = b.At(bm).Child(kTIDADimension, U"Dim");
  VoidID top = b.At(dim).Child(kTIDALevel, U"Top");
  VoidID single = b.At(top).Child(kTIDALevel, U"Single");    // one parent link: many
  VoidID twice = b.At(top).Child(kTIDALevel, U"Twice");      // two: many and many2
  VoidID oneOnly = b.At(top).Child(kTIDALevel, U"OneOnly");  // one: the one-to-one role
  VoidID leaf = b.At(single).Child(kTIDALevel, U"Leaf");     // no parent link
  VoidID rel = b.At(dim).Child(kTIDALevelToLevel, U"Rollup");
  VoidID many = b.At(rel).Child(kTIDARole, U"Many");
  VoidID many2 = b.At(rel).Child(kTIDARole, U"Many2");
  VoidID one = b.At(rel).Child(kTIDARole, U"One");
  VoidID table = b.At(bm).Child(kTIDALogicalTable, U"LT");

  LevelLinks() {
    Ref<ARole>(rp.GetObject(many))->SetMultiplicity({MultiplicityTypes::kZero, MultiplicityTypes::kMany, 0, 0});
    Ref<ARole>(rp.GetObject(many2))->SetMultiplicity({MultiplicityTypes::kOne, MultiplicityTypes::kMany, 0, 0});
    Ref<ARole>(rp.GetObject(one))->SetMultiplicity({MultiplicityTypes::kOne, MultiplicityTypes::kOne, 0, 0});
    b.Relate(RpRel::kLevelParentLink, {single, many});
    b.Relate(RpRel::kLevelParentLink, {twice, many});
    b.Relate(RpRel::kLevelParentLink, {twice, many2});
    b.Relate(RpRel::kLevelParentLink, {oneOnly, one});
  }
  Ref<ARpObject> Get(const VoidID& id) { return rp.GetObject(id); }
};

TEST(DeleteDependencyChecker, RoleTakesALevelOnlyWhenItIsItsLastLinkAndMayBeMany) {
  LevelLinks s;
  const VXSModelDependencyChecker checker;
  const RelationRoleID fromRole(RelID(109), 1);
  struct Case {
    VoidID role, candidate;
    bool bDependent;
    const char* why;
  };
  const Case cases[] = {
      {s.many, s.single, true, "one parent link, many-cardinality role"},
      {s.many, s.twice, false, "two parent links"},
      {s.many2, s.twice, false, "two parent links (the other role)"},
      {s.one, s.oneOnly, false, "the role cannot be many"},
      {s.many, s.leaf, true, "no parent link at all"},
      {s.many, s.table, false, "not a level"},
  };
  for (const Case& c : cases) {
    RpObjectDeleteContext ctx(s.Get(c.role));
    EXPECT_EQ(checker.IsDeleteDependent(ctx, s.Get(c.role), fromRole, 0, s.Get(c.candidate)), c.bDependent) << c.why;
  }
  // The deleted object must be a role.
  RpObjectDeleteContext ctx(s.Get(s.top));
  const Outcome o = Call([&] { return checker.IsDeleteDependent(ctx, s.Get(s.top), fromRole, 0, s.Get(s.single)); });
  ExpectAssertion(o, "QueryInterface(parent, parentRole)", false, "not a role");
}

TEST(DeleteDescendants, RoleTakesItsSingleLinkedLevelsAndTheirSubtrees) {
  LevelLinks s;
  RpObjectVector children;
  MetadataUtil::GetDeleteDescendants(s.Get(s.many), children);
  // Single goes (and Leaf under it); Twice keeps its other link.
  EXPECT_EQ(IDs(children), (VoidIDVector{s.single, s.leaf}));
  MetadataUtil::GetDeleteDescendants(s.Get(s.one), children);
  EXPECT_TRUE(children.empty());

  ASSERT_TRUE(s.rp.DeleteObject(s.many));
  EXPECT_TRUE(s.Get(s.single).IsNull());
  EXPECT_TRUE(s.Get(s.leaf).IsNull());
  ASSERT_FALSE(s.Get(s.twice).IsNull());
  EXPECT_EQ(Ref<ALevel>(s.Get(s.twice))->GetParentLinks().Size(), 1u);
}

TEST(DeleteDescendants, LevelTakesItsParentLinkRoles) {
  LevelLinks s;
  std::vector<MetadataUtil::DeleteDescendant> found;
  MetadataUtil::GetDeleteDescendants(s.Get(s.twice), found);
  // Both roles go with the level; Many then takes Single, whose last link
  // it is, and Single its child Leaf.
  const struct {
    VoidID obj;
    int rel;
    VoidID from;
  } expected[] = {{s.many, 109, s.twice}, {s.many2, 109, s.twice}, {s.single, 109, s.many}, {s.leaf, 1, s.single}};
  ASSERT_EQ(found.size(), std::size(expected));
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].m_obj.GetID(), expected[i].obj) << i;
    EXPECT_EQ(found[i].m_rel.GetInternalSystemRelationshipID(), expected[i].rel) << i;
    EXPECT_EQ(found[i].m_from.GetID(), expected[i].from) << i;
  }
  EXPECT_STREQ(found[3].m_relName, "containment");
}

// ---- the walk with the installed checker -----------------------------------------

TEST(DeleteDescendants, NullOrStaleHandleEmptiesTheVector) {
  Scratch s;
  RpObjectVector children{s.Get(s.db), s.Get(s.table)};
  MetadataUtil::GetDeleteDescendants(Ref<ARpObject>(), children);
  EXPECT_TRUE(children.empty());

  Ref<ARpObject> table = s.Get(s.table);
  ASSERT_TRUE(s.rp.DeleteObject(s.table));
  children = {s.Get(s.db)};
  MetadataUtil::GetDeleteDescendants(table, children);
  EXPECT_TRUE(children.empty());

  std::vector<MetadataUtil::DeleteDescendant> found{{s.Get(s.db), Ref<ARpObject>(), RelID(1), "containment"}};
  MetadataUtil::GetDeleteDescendants(Ref<ARpObject>(), found);
  EXPECT_TRUE(found.empty());
}

TEST(DeleteDescendants, KeyWhoseTableIsGoingIsReachedByContainmentOnly) {
  // The key of a deep table holds a column of a shallow one; the walk meets
  // the column before the key, when the key's table is already marked.
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DB");
  auto deepTable = db.Child(kTIDACatalog, U"Cat").Child(kTIDASchema, U"Sch").Child(kTIDATable, U"Deep");
  auto key = deepTable.Child(kTIDATableKey, U"PK");
  auto shallowColumn = db.Child(kTIDATable, U"Shallow").Child(kTIDAColumn, U"C");
  b.Relate(RpRel::kKeyColumn, {shallowColumn, key});

  std::vector<MetadataUtil::DeleteDescendant> found;
  MetadataUtil::GetDeleteDescendants(rp.GetObject(db), found);
  int keySeen = 0;
  for (const MetadataUtil::DeleteDescendant& d : found) {
    if (d.m_obj.GetID() != key.Id()) continue;
    ++keySeen;
    EXPECT_EQ(d.m_rel.GetInternalSystemRelationshipID(), 1);
    EXPECT_EQ(d.m_from.GetID(), deepTable.Id());
  }
  EXPECT_EQ(keySeen, 1);
  EXPECT_EQ(found.size(), 6u);  // catalog, schema, two tables, key, column

  // Deleting the column alone takes the key along through the relationship.
  MetadataUtil::GetDeleteDescendants(rp.GetObject(shallowColumn), found);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].m_obj.GetID(), key.Id());
  EXPECT_EQ(found[0].m_rel.GetInternalSystemRelationshipID(), 329);
}

TEST(DeleteDescendants, PredicateRulesOfTheSampleShapes) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DB");
  auto left = db.Child(kTIDATable, U"L");
  auto right = db.Child(kTIDATable, U"R");
  auto pk = right.Child(kTIDATableKey, U"R_PK");
  auto fk = left.Child(kTIDAForeignKey, U"L_R_FK");
  auto join = b.Add(kTIDAComplexJoin, U"L to R");
  b.Relate(RpRel::kComplexJoin, {left, right, join});
  b.Relate(RpRel::kForeignKeyReference, {left, pk, fk});
  auto bm = b.Add(kTIDASubjectArea, U"BM");
  auto dim = bm.Child(kTIDADimension, U"Dim");
  auto area = b.Add(kTIDACatalogFolder, U"Area");
  auto hierarchy = area.Child(kTIDAEntityFolder, U"T").Child(kTIDAPresentationHierarchy, U"H");
  b.Relate(RpRel::kPresentationHierarchyDimension, {hierarchy, dim});

  RpObjectVector children;
  // Either table takes the join; the right one also its key, and the key
  // the foreign key that refers to it.
  MetadataUtil::GetDeleteDescendants(rp.GetObject(right), children);
  EXPECT_EQ(IDs(children), (VoidIDVector{pk, join, fk}));
  MetadataUtil::GetDeleteDescendants(rp.GetObject(left), children);
  EXPECT_EQ(IDs(children), (VoidIDVector{fk, join}));
  // The foreign key does not take the key it refers to; the join neither table.
  MetadataUtil::GetDeleteDescendants(rp.GetObject(fk), children);
  EXPECT_TRUE(children.empty());
  MetadataUtil::GetDeleteDescendants(rp.GetObject(join), children);
  EXPECT_TRUE(children.empty());
  // A dimension takes its presentation hierarchies, not the other way round.
  MetadataUtil::GetDeleteDescendants(rp.GetObject(dim), children);
  EXPECT_EQ(IDs(children), (VoidIDVector{hierarchy}));
  MetadataUtil::GetDeleteDescendants(rp.GetObject(hierarchy), children);
  EXPECT_TRUE(children.empty());
}

// ---- what is listed is what a delete removes -------------------------------------

TEST(DeleteDescendants, ListingMatchesWhatADeleteRemovesForEverySampleObject) {
  const std::string file = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
  VoidIDVector all;
  {
    std::unique_ptr<ARpGateway> rp = RpFile::Load(file);
    rp->LookupObjects(LookupAllCondition(), all);
  }
  ASSERT_GT(all.size(), 100u);
  std::size_t withDependents = 0, viaChecker = 0;
  for (const VoidID& victim : all) {
    std::unique_ptr<ARpGateway> rp = RpFile::Load(file);
    VoidIDVector before;
    rp->LookupObjects(LookupAllCondition(), before);
    std::vector<MetadataUtil::DeleteDescendant> listed;
    MetadataUtil::GetDeleteDescendants(rp->GetObject(victim), listed);
    VoidIDSet expectedGone{victim};
    for (const MetadataUtil::DeleteDescendant& d : listed) {
      EXPECT_TRUE(expectedGone.insert(d.m_obj.GetID()).second)
          << "listed twice: " << ToNarrow(d.m_obj.GetID().ToString());
      const int rel = d.m_rel.GetInternalSystemRelationshipID();
      viaChecker += rel == 40 || rel == 41 || rel == 109 || rel == 111 || rel == 329;
    }
    withDependents += !listed.empty();

    ASSERT_TRUE(rp->DeleteObject(victim));
    VoidIDVector after;
    rp->LookupObjects(LookupAllCondition(), after);
    VoidIDSet gone;
    for (const VoidID& id : before) {
      if (rp->GetObject(id).IsNull()) gone.insert(id);
    }
    EXPECT_EQ(gone, expectedGone) << "deleting " << ToNarrow(victim.ToString());
    EXPECT_EQ(after.size() + gone.size(), before.size());
  }
  EXPECT_GT(withDependents, 20u);
  EXPECT_GT(viaChecker, 10u);
}

}  // namespace
