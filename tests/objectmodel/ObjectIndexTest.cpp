// The flat object index against a reference multimap under random churn
// (shared keys, runs that wrap around the table's end, removals from the
// middle of runs), and the gateway's (parent, exact name) index, which must
// follow every change of a parent or a name: creation, renames, moves,
// deletion with and without cascade.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/ObjectHashIndex.h"
#include "objectmodel/ObjectIDIndex.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/TupleListIndex.h"

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

TEST(ObjectHashIndex, AgreesWithAMultimapUnderChurn) {
  // The index never dereferences what it stores, so fake aligned pointers do.
  std::vector<std::uint64_t> storage(4000);
  auto objectAt = [&](std::size_t i) { return reinterpret_cast<ARpObject*>(&storage[i]); };
  ObjectHashIndex index;
  std::multimap<std::uint64_t, ARpObject*> reference;
  std::mt19937_64 random(3);
  for (int step = 0; step < 60000; ++step) {
    // Few keys, many of them neighbours (like ids), some shared by many.
    const std::uint64_t key = random() % 4 == 0 ? random() % 8 : (random() % 600) << (random() % 2 ? 0 : 40);
    ARpObject* obj = objectAt(random() % storage.size());
    auto range = reference.equal_range(key);
    auto it = std::find_if(range.first, range.second, [&](const auto& kv) { return kv.second == obj; });
    if (random() % 3 == 0 || it != range.second) {
      ASSERT_EQ(index.Erase(key, obj), it != range.second);
      if (it != range.second) reference.erase(it);
    } else {
      index.Insert(key, obj);
      reference.emplace(key, obj);
    }
    if (step % 997 == 0) {
      ASSERT_EQ(index.Size(), reference.size());
      for (std::uint64_t k = 0; k < 8; ++k) {
        std::vector<ARpObject*> found, expected;
        index.Find(k, found);
        for (auto [a, b] = reference.equal_range(k); a != b; ++a) expected.push_back(a->second);
        ASSERT_EQ(Sorted(found), Sorted(expected));
      }
      for (const auto& [k, o] : reference) {
        std::vector<ARpObject*> found;
        index.Find(k, found);
        ASSERT_NE(std::find(found.begin(), found.end(), o), found.end());
      }
    }
  }
  std::vector<ARpObject*> all;
  index.GetAll(all);
  EXPECT_EQ(all.size(), reference.size());
  index.Clear();
  EXPECT_EQ(index.FindOne(0), nullptr);
  EXPECT_EQ(index.Size(), 0u);
}

TEST(ObjectIDIndex, AgreesWithAMapForDenseSparseAndOddIds) {
  // Ids in a loader's runs, numbers far beyond their type's, negative and
  // very large types, and numbers that a table reaches only after they were
  // kept elsewhere; inserted, refused when taken, erased and found again.
  std::vector<std::uint64_t> storage(5000);
  auto objectAt = [&](std::size_t i) { return reinterpret_cast<ARpObject*>(&storage[i]); };
  ObjectIDIndex index;
  std::map<VoidID, ARpObject*> reference;
  std::mt19937_64 random(11);
  const TypeID types[] = {3003, 3001, -7, 0, 1 << 14, 2000000000};
  std::uint32_t next[6] = {1, 1, 1, 1, 1, 1};
  auto pickID = [&]() {
    const std::size_t t = random() % 6;
    const std::uint64_t how = random() % 10;
    std::uint32_t num;
    if (how < 6) {
      num = next[t]++;  // the next of a run
    } else if (how < 8) {
      num = static_cast<std::uint32_t>(random() % (next[t] + 3000));  // near, maybe taken, maybe ahead
    } else {
      num = static_cast<std::uint32_t>(random());  // anywhere
    }
    return VoidID(types[t], num);
  };
  for (int step = 0; step < 40000; ++step) {
    const VoidID id = pickID();
    auto it = reference.find(id);
    if (random() % 4 == 0 && !reference.empty()) {
      // Erase: the object of the id, or a wrong object for it.
      ARpObject* obj = it != reference.end() ? it->second : objectAt(random() % storage.size());
      const bool wrong = random() % 5 == 0;
      ASSERT_EQ(index.Erase(id, wrong ? objectAt(storage.size() - 1) : obj), it != reference.end() && !wrong);
      if (it != reference.end() && !wrong) reference.erase(it);
    } else {
      ARpObject* obj = objectAt(random() % (storage.size() - 1));
      ASSERT_EQ(index.InsertUnique(id, obj), it == reference.end());
      if (it == reference.end()) reference.emplace(id, obj);
    }
    if (step % 1999 == 0) {
      ASSERT_EQ(index.Size(), reference.size());
      for (const auto& [k, o] : reference) ASSERT_EQ(index.Find(k), o);
      for (int probe = 0; probe < 200; ++probe) {
        const VoidID id2 = pickID();
        auto found = reference.find(id2);
        ASSERT_EQ(index.Find(id2), found == reference.end() ? nullptr : found->second);
      }
    }
  }
  std::vector<ARpObject*> all, expected;
  index.GetAll(all);
  for (const auto& kv : reference) expected.push_back(kv.second);
  EXPECT_EQ(Sorted(all), Sorted(expected));
}

TEST(TupleListIndex, AgreesWithAMapUnderChurn) {
  // Few ids of a few types, so that the table wraps, probe runs meet and
  // erasing closes holes in runs of every shape; lists grow, shrink, are
  // erased and made again, and a list held by reference survives others
  // being made and erased.
  TupleListIndex index;
  std::map<VoidID, std::vector<std::uint32_t>> reference;
  std::mt19937_64 random(5);
  auto pickID = [&]() {
    return VoidID(static_cast<TypeID>(3000 + random() % 3), static_cast<std::uint32_t>(random() % 700));
  };
  for (std::uint32_t step = 0; step < 60000; ++step) {
    const VoidID id = pickID();
    const std::uint64_t what = random() % 8;
    if (what < 4) {
      std::vector<std::uint32_t>& held = index.Get(id);
      held.push_back(step);
      reference[id].push_back(step);
      // Make and erase other lists while this one is held.
      const VoidID other = pickID();
      if (other != id) {
        index.Get(other).push_back(step);
        reference[other].push_back(step);
        if (random() % 2) {
          index.Erase(other);
          reference.erase(other);
        }
      }
      held.push_back(step + 1);
      reference[id].push_back(step + 1);
    } else if (what < 6) {
      index.Erase(id);
      reference.erase(id);
    } else {
      const std::vector<std::uint32_t>* found = index.Find(id);
      auto it = reference.find(id);
      ASSERT_EQ(found != nullptr, it != reference.end()) << step;
      if (found) {
        ASSERT_EQ(*found, it->second) << step;
      }
    }
    if (step % 4999 == 0) {
      ASSERT_EQ(index.Size(), reference.size());
      for (const auto& [k, list] : reference) {
        const std::vector<std::uint32_t>* found = index.Find(k);
        ASSERT_TRUE(found) << step;
        ASSERT_EQ(*found, list) << step;
      }
    }
  }
  for (const auto& [k, list] : reference) index.Erase(k);
  EXPECT_EQ(index.Size(), 0u);
  EXPECT_EQ(index.Find(VoidID(3000, 1)), nullptr);
}

TEST(ObjectHashIndex, LargeBatchesAgreeWithAMultimap) {
  // Batches large enough to be dealt out by region: into a table reserved
  // for them, into one that grows on the way (staying small, and growing
  // large enough to be dealt to partway), and into one that holds entries
  // already; keys shared by many entries, and neighbouring keys.
  std::vector<std::uint64_t> storage(50000);
  auto objectAt = [&](std::size_t i) { return reinterpret_cast<ARpObject*>(&storage[i]); };
  std::mt19937_64 random(8);
  auto batch = [&](std::size_t n) {
    ObjectHashIndex::Batch entries;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t key = random() % 3 == 0 ? random() % 500 : random() % 2 ? random() : (1ull << 32) + i;
      entries.emplace_back(key, objectAt(random() % storage.size()));
    }
    return entries;
  };
  for (int shape = 0; shape < 4; ++shape) {
    ObjectHashIndex index;
    std::multimap<std::uint64_t, ARpObject*> reference;
    if (shape == 0) index.Reserve(150000);
    if (shape == 2) {
      for (const auto& [k, obj] : batch(1000)) {
        index.Insert(k, obj);
        reference.emplace(k, obj);
      }
    }
    const auto entries = batch(shape == 3 ? 400000 : 100000);
    index.InsertAll(entries);
    for (const auto& [k, obj] : entries) reference.emplace(k, obj);
    ASSERT_EQ(index.Size(), reference.size()) << shape;
    for (auto it = reference.begin(); it != reference.end(); it = reference.upper_bound(it->first)) {
      std::vector<ARpObject*> found, expected;
      index.Find(it->first, found);
      for (auto [a, b] = reference.equal_range(it->first); a != b; ++a) expected.push_back(a->second);
      ASSERT_EQ(Sorted(found), Sorted(expected)) << shape << " key " << it->first;
    }
    std::vector<ARpObject*> none;
    index.Find(1ull << 40, none);
    EXPECT_TRUE(none.empty());
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

// The index by name and alias and the (parent, name) index are kept right
// through creations, renames, aliases, moves and deletions, and a copy of
// the repository, built in one batch as a load builds a file, makes both
// whole again: in each, a lookup by name finds exactly what a scan of every
// object finds.
TEST(NameIndex, LookupsByNameAgreeWithAScanThroughEditsAndInACopy) {
  // 300 objects, and enough that the copy builds both name indexes in dealt
  // batches.
  for (const int count : {300, 100000}) {
    ARpGateway rp;
    std::mt19937 random(11);
    // The kelvin sign folds to an ASCII k: a name that starts with it must
    // hash as the all-ASCII names it equals.
    const VXString names[] = {U"Sales", U"SALES", U"Orders", U"", U"Amount", U"x", U"KEY", U"\u212Aey", U"keY"};
    constexpr unsigned kNames = std::size(names);
    VoidID dbs[2];
    const auto expectLookupsAgreeWithScan = [&names, count](ARpGateway& g, const char* when) {
      VoidIDVector all;
      g.GetObjectIDsOfType(kTIDATable, all);
      for (const VXString& name : names) {
        for (bool bAliases : {false, true}) {
          VoidIDVector found;
          g.LookupObjects(TypedObjectNameCondition(kTIDATable, name, bAliases), found);
          VoidIDVector expected;
          for (const VoidID& id : all) {
            const Ref<ARpObject> obj = g.GetObject(id);
            bool bMatch = VXCaseFold::Equal(obj->GetName(), name);
            for (const VXString& a : obj->GetAliasList()) bMatch = bMatch || (bAliases && VXCaseFold::Equal(a, name));
            if (bMatch) expected.push_back(id);
          }
          EXPECT_EQ(found, expected) << count << " " << when << " name '" << ToNarrow(name) << "' aliases " << bAliases;
        }
      }
      // Each object under its own name and its present parent.
      ExpectIndexMatchesContainment(g);
    };
    std::vector<VoidID> tables;
    dbs[0] = rp.CreateObject(kTIDADatabase, U"DB").GetID();
    dbs[1] = rp.CreateObject(kTIDADatabase, U"Other").GetID();
    for (int i = 0; i < count; ++i) {
      tables.push_back(rp.CreateObject(kTIDATable, names[random() % kNames], dbs[random() % 2]).GetID());
      const VoidID t = tables[random() % tables.size()];
      Ref<ARpObject> obj = rp.GetObject(t);
      if (obj.IsNull()) continue;
      switch (random() % 5) {
        case 0:
          rp.RenameObject(t, names[random() % kNames], random() % 2 == 0);
          break;
        case 1:
          rp.AddAlias(t, names[random() % kNames]);
          break;
        case 2:
          rp.DeleteObject(t);
          break;
        case 3:
          rp.SetObjectParent(obj.Get(), rp.GetObject(dbs[random() % 2]).Get());
          break;
        default:
          break;
      }
    }
    expectLookupsAgreeWithScan(rp, "after the edits");
    const std::unique_ptr<ARpGateway> copy = rp.CopyRepository();
    expectLookupsAgreeWithScan(*copy, "in the copy");
  }
}
