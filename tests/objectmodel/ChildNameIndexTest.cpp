// The gateway's (parent, exact name) index must follow every change of a
// parent or a name: creation, renames, moves, deletion with and without
// cascade. Checked against the containment lists after random churn.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpBuilder.h"

namespace {

std::vector<ARpObject*> Sorted(std::vector<ARpObject*> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// Every live object found under its parent and name, and no other.
void ExpectIndexMatchesContainment(ARpGateway& rp) {
  std::vector<ARpObject*> all;
  for (TypeID t : rp.GetKnownTypes()) {
    VoidIDVector ids;
    rp.GetObjectIDsOfType(t, ids);
    for (const VoidID& id : ids) all.push_back(rp.GetObject(id).Get());
  }
  std::set<std::pair<const ARpObject*, VXString>> keys;
  for (ARpObject* obj : all) keys.emplace(obj->GetParentPointer(), obj->GetName());
  for (const auto& [parent, name] : keys) {
    std::vector<ARpObject*> expected;
    for (ARpObject* obj : all) {
      if (obj->GetParentPointer() == parent && obj->GetName() == name) expected.push_back(obj);
    }
    std::vector<ARpObject*> found;
    rp.FindChildrenByExactName(parent, name, found);
    ASSERT_EQ(Sorted(found), Sorted(expected)) << ToNarrow(name);
  }
}

TEST(ChildNameIndex, FollowsRenamesMovesAndDeletions) {
  ARpGateway rp;
  RpBuilder b(rp);
  std::mt19937 random(5);
  const VXString names[] = {U"ID", U"id", U"NAME", U"", U"Amount", U"X"};
  std::vector<VoidID> tables;
  std::vector<VoidID> columns;
  auto db = b.Add(kTIDADatabase, U"DB");
  for (int round = 0; round < 40; ++round) {
    for (int i = 0; i < 10; ++i) tables.push_back(db.Child(kTIDATable, names[random() % 6]));
    for (int i = 0; i < 60; ++i) {
      const VoidID table = tables[random() % tables.size()];
      if (!rp.GetObject(table).IsNull()) columns.push_back(b.At(table).Child(kTIDAColumn, names[random() % 6]));
    }
    for (int i = 0; i < 30; ++i) {
      const VoidID c = columns[random() % columns.size()];
      Ref<ARpObject> obj = rp.GetObject(c);
      if (obj.IsNull()) continue;
      switch (random() % 4) {
        case 0:
          rp.RenameObject(c, names[random() % 6]);
          break;
        case 1: {
          Ref<ARpObject> to = rp.GetObject(tables[random() % tables.size()]);
          if (!to.IsNull()) rp.SetObjectParent(obj.Get(), to.Get());
          break;
        }
        case 2:
          rp.DeleteObject(c);
          break;
        default:
          rp.SetObjectParent(obj.Get(), nullptr);
      }
    }
    // Tables go with and without their columns (those then stand alone).
    rp.DeleteObject(tables[random() % tables.size()], random() % 2 == 0);
    ExpectIndexMatchesContainment(rp);
  }
  std::vector<ARpObject*> top;
  rp.FindChildrenByExactName(nullptr, U"DB", top);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(top[0]->GetID(), db.Id());
}

TEST(ChildNameIndex, EmptyNamesAreCountedThroughRenamesAndDeletion) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DB");
  EXPECT_FALSE(rp.HasEmptyNamedObjects());
  auto schema = db.Child(kTIDASchema, U"");
  EXPECT_TRUE(rp.HasEmptyNamedObjects());
  rp.RenameObject(schema, U"S");
  EXPECT_FALSE(rp.HasEmptyNamedObjects());
  rp.RenameObject(schema, U"");
  EXPECT_TRUE(rp.HasEmptyNamedObjects());
  rp.DeleteObject(schema);
  EXPECT_FALSE(rp.HasEmptyNamedObjects());
}

}  // namespace
