// Generated repositories are joined as a warehouse is: fact tables refer to
// dimension and lookup tables of their own schema, staging tables are
// joined by complex joins, and the logical layer repeats the references
// where both tables reached one business model; the same seed gives the
// same repository.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "objectmodel/Interfaces.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace {

std::unique_ptr<ARpGateway> Generated(std::size_t n, std::uint64_t seed) {
  RpGenerator::Options options;
  options.m_objectCount = n;
  options.m_seed = seed;
  return RpGenerator::Generate(options);
}

std::vector<Ref<ARpObject>> All(ARpGateway& rp, TypeID type) {
  VoidIDVector ids;
  rp.GetObjectIDsOfType(type, ids);
  std::vector<Ref<ARpObject>> out;
  for (const VoidID& id : ids) out.push_back(rp.GetObject(id));
  return out;
}

// "F_" of "F_ORDER_12".
std::string Kind(const Ref<ARpObject>& table) {
  const std::string name = ToNarrow(table->GetName());
  return name.substr(0, name.find('_') + 1);
}

TEST(GeneratedJoins, TheSameSeedGivesTheSameRepositoryAndAnotherSeedAnother) {
  const std::string first = RpFile::SaveToString(*Generated(20000, 7));
  EXPECT_EQ(RpFile::SaveToString(*Generated(20000, 7)), first);
  EXPECT_NE(RpFile::SaveToString(*Generated(20000, 8)), first);
}

TEST(GeneratedJoins, ForeignKeysReferToDimensionsOfTheirSchema) {
  std::unique_ptr<ARpGateway> rp = Generated(20000, 1);
  std::map<std::string, std::pair<std::size_t, std::size_t>> byKind;  // kind -> (tables, foreign keys)
  std::size_t withTwoToFour = 0;
  for (const Ref<ARpObject>& t : All(*rp, kTIDATable)) {
    const Ref<ATable> table(t);
    std::size_t fks = 0;
    for (BinaryRelIter<AForeignKey> it = table->GetForeignKeys(); !it.IsEnd(); ++it) {
      const Ref<AForeignKey> fk = *it;
      const Ref<ATableKey> key = fk->GetTableKey();
      ASSERT_FALSE(key.IsNull()) << ToNarrow(fk->GetName());
      const Ref<ATable> target = key->GetTable();
      EXPECT_TRUE(Kind(Ref<ARpObject>(target)) == "D_" || Kind(Ref<ARpObject>(target)) == "LKP_")
          << ToNarrow(fk->GetName());
      EXPECT_EQ(target->GetParentObject().GetID(), t->GetParentObject().GetID()) << ToNarrow(fk->GetName());
      // One column of the table's own, named after the target, for the
      // key's one column.
      std::vector<VXString> columns;
      for (BinaryRelIter<AColumn> c = fk->GetComponents(); !c.IsEnd(); ++c) {
        EXPECT_EQ((*c)->GetParentObject().GetID(), t.GetID());
        columns.push_back((*c)->GetName());
      }
      EXPECT_EQ(columns, std::vector<VXString>{target->GetName() + U"_WID"});
      std::size_t keyColumns = 0;
      for (BinaryRelIter<AColumn> c = key->GetColumns(); !c.IsEnd(); ++c) ++keyColumns;
      EXPECT_EQ(keyColumns, 1u);
      ++fks;
    }
    auto& [tables, keys] = byKind[Kind(t)];
    ++tables;
    keys += fks;
    if (Kind(t) == "F_") {
      EXPECT_LE(fks, 4u) << ToNarrow(t->GetName());
      withTwoToFour += fks >= 2;
    }
    if (Kind(t) == "A_") {
      EXPECT_LE(fks, 2u) << ToNarrow(t->GetName());
    }
    if (Kind(t) == "W_" || Kind(t) == "D_") {
      EXPECT_LE(fks, 1u) << ToNarrow(t->GetName());
    }
  }
  // Staging and lookup tables refer to nothing; nearly every fact table
  // refers to two or more (only one that opens a schema has nothing yet).
  EXPECT_EQ(byKind["STG_"].second, 0u);
  EXPECT_EQ(byKind["LKP_"].second, 0u);
  ASSERT_GT(byKind["F_"].first, 50u);
  EXPECT_GE(withTwoToFour * 100, byKind["F_"].first * 95);
  // A third of the warehouse tables and a fifth of the dimensions, give or take.
  EXPECT_GT(byKind["W_"].second * 100, byKind["W_"].first * 20);
  EXPECT_LT(byKind["W_"].second * 100, byKind["W_"].first * 45);
  EXPECT_GT(byKind["D_"].second * 100, byKind["D_"].first * 10);
  EXPECT_LT(byKind["D_"].second * 100, byKind["D_"].first * 30);
}

TEST(GeneratedJoins, ComplexJoinsJoinAStagingTableToADimensionOnTheirColumns) {
  std::unique_ptr<ARpGateway> rp = Generated(20000, 1);
  const std::vector<Ref<ARpObject>> joins = All(*rp, kTIDAComplexJoin);
  ASSERT_FALSE(joins.empty());
  for (const Ref<ARpObject>& j : joins) {
    const Ref<AComplexJoin> join(j);
    EXPECT_TRUE(j->GetParentObject().IsNull());
    const Ref<ATable> left = join->GetLeftTable(), right = join->GetRightTable();
    ASSERT_FALSE(left.IsNull() || right.IsNull()) << ToNarrow(j->GetName());
    EXPECT_EQ(Kind(Ref<ARpObject>(left)), "STG_");
    EXPECT_TRUE(Kind(Ref<ARpObject>(right)) == "D_" || Kind(Ref<ARpObject>(right)) == "LKP_");
    EXPECT_EQ(j->GetName(), left->GetName() + U" to " + right->GetName());
    // The condition names a column of each table.
    VoidIDVector ids;
    join->GetJoinExpr().GetObjectIDsInExpr(ids, true);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(rp->GetObject(ids[0])->GetParentObject().GetID(), left.GetID());
    EXPECT_EQ(rp->GetObject(ids[1])->GetParentObject().GetID(), right.GetID());
  }
}

TEST(GeneratedJoins, TheLogicalLayerJoinsWhatThePhysicalOneDoesWithinABusinessModel) {
  std::unique_ptr<ARpGateway> rp = Generated(20000, 1);
  const std::vector<Ref<ARpObject>> joins = All(*rp, kTIDARelationship);
  const std::vector<Ref<ARpObject>> fks = All(*rp, kTIDALogicalForeignKey);
  ASSERT_FALSE(joins.empty());
  ASSERT_FALSE(fks.empty());
  // A quarter of the references are logical foreign keys.
  EXPECT_GT(fks.size() * 100, (joins.size() + fks.size()) * 12);
  EXPECT_LT(fks.size() * 100, (joins.size() + fks.size()) * 40);
  for (const Ref<ARpObject>& j : joins) {
    const Ref<ARelationship> join(j);
    std::vector<Ref<AEntity>> players;
    std::vector<int> ends;
    for (BinaryRelIter<ARole> it = join->GetRoles(); !it.IsEnd(); ++it) {
      players.push_back((*it)->GetPlayer());
      ends.push_back((*it)->GetMultiplicity().m_endCardinality);
    }
    ASSERT_EQ(players.size(), 2u) << ToNarrow(j->GetName());
    // Many rows of the first table to one of the second, both in the
    // join's business model.
    EXPECT_EQ(ends, (std::vector<int>{MultiplicityTypes::kMany, MultiplicityTypes::kOne}));
    for (const Ref<AEntity>& player : players) {
      ASSERT_FALSE(player.IsNull());
      EXPECT_EQ(player->GetParentObject().GetID(), j->GetParentObject().GetID());
    }
    EXPECT_EQ(j->GetName(), players[0]->GetName() + U" - " + players[1]->GetName());
  }
  for (const Ref<ARpObject>& f : fks) {
    const Ref<ALogicalForeignKey> fk(f);
    const Ref<AKey> key = fk->GetReferencedKey();
    ASSERT_FALSE(key.IsNull());
    EXPECT_EQ(key->GetParentObject()->GetParentObject().GetID(), f->GetParentObject()->GetParentObject().GetID());
    std::size_t columns = 0;
    for (BinaryRelIter<AAttribute> it = fk->GetAttributes(); !it.IsEnd(); ++it) {
      EXPECT_EQ((*it)->GetParentObject().GetID(), f->GetParentObject().GetID());
      ++columns;
    }
    EXPECT_EQ(columns, 1u);
  }
}

}  // namespace
