#include <gtest/gtest.h>

#include <random>

#include "SampleRepository.h"

namespace {

VXStringVector Names(VoidRelIter it) {
  VXStringVector out;
  for (it.ToBegin(); !it.IsEnd(); ++it) out.push_back(it.GetObjRef()->GetName());
  return out;
}

struct KeyFixture {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID table, key, a, c, d;
  KeyFixture() {
    auto t = b.Add(kTIDATable, U"T", b.Add(kTIDADatabase, U"DB"));
    table = t;
    key = t.Child(kTIDATableKey, U"PK");
    a = t.Child(kTIDAColumn, U"A");
    c = t.Child(kTIDAColumn, U"C");
    d = t.Child(kTIDAColumn, U"D");
  }
  Ref<ATableKey> Key() { return Ref<ATableKey>(rp.GetObject(key)); }
};

TEST(Relations, InsertKeepsOrderAndRefusesDuplicatesAndBadTuples) {
  KeyFixture f;
  Ref<ATableKey> key = f.Key();
  key->AddColumn(Ref<AColumn>(f.rp.GetObject(f.c)));
  key->AddColumn(Ref<AColumn>(f.rp.GetObject(f.a)));
  key->AddColumn(Ref<AColumn>(f.rp.GetObject(f.c)));  // already there
  EXPECT_EQ(Names(key->GetColumns()), (VXStringVector{U"C", U"A"}));
  // Seen from the column, the same tuple.
  Ref<AColumn> colC(f.rp.GetObject(f.c));
  EXPECT_EQ(Names(colC->GetKeys()), (VXStringVector{U"PK"}));
  EXPECT_TRUE(ARelation::IsExistingRelationship(RpRel::kKeyColumn, {f.rp.GetObject(f.a), f.rp.GetObject(f.key)}));
  EXPECT_FALSE(ARelation::IsExistingRelationship(RpRel::kKeyColumn, {f.rp.GetObject(f.key), f.rp.GetObject(f.a)}));
  // Wrong arity, an unknown relation, a null or missing argument.
  EXPECT_FALSE(ARelation::InsertRelationship(RpRel::kKeyColumn, {f.rp.GetObject(f.a)}));
  EXPECT_FALSE(ARelation::InsertRelationship(RelID(7777), {f.rp.GetObject(f.a), f.rp.GetObject(f.key)}));
  EXPECT_FALSE(ARelation::InsertRelationship(RpRel::kKeyColumn, {f.rp.GetObject(f.a), Ref<ARpObject>()}));
  EXPECT_EQ(f.rp.InsertTuple(RpRel::kKeyColumn, {f.a, VoidID(3001, 999)}), ARpGateway::kNoTuple);
}

TEST(Relations, IteratorInsertEraseMove) {
  KeyFixture f;
  BinaryRelIter<AColumn> it = f.Key()->GetColumns();
  EXPECT_EQ(it.Size(), 0u);
  // The key column relation is sorted by the key (argument 1); inserting
  // from the key's side appends.
  BinaryRelIter<AColumn> fromKey(VoidRelIter(&f.rp, f.key, RpRel::kKeyColumn, {1}, 0));
  for (VoidID id : {f.a, f.c, f.d}) EXPECT_TRUE(fromKey.Insert(Ref<AColumn>(f.rp.GetObject(id))));
  EXPECT_EQ(Names(fromKey), (VXStringVector{U"A", U"C", U"D"}));
  EXPECT_EQ(fromKey.GetPosition(), 2u);  // left at the new element

  fromKey.SetPosition(2);
  EXPECT_TRUE(fromKey.MoveUp());
  EXPECT_EQ((*fromKey)->GetName(), U"D");
  EXPECT_EQ(Names(f.Key()->GetColumns()), (VXStringVector{U"A", U"D", U"C"}));
  EXPECT_TRUE(fromKey.MoveUp(10));  // to the top
  EXPECT_EQ(fromKey.GetPosition(), 0u);
  EXPECT_EQ(Names(f.Key()->GetColumns()), (VXStringVector{U"D", U"A", U"C"}));
  EXPECT_FALSE(fromKey.MoveUp());  // already first
  EXPECT_TRUE(fromKey.MoveDown(2));
  EXPECT_EQ(Names(f.Key()->GetColumns()), (VXStringVector{U"A", U"C", U"D"}));

  fromKey.SetPosition(1);
  EXPECT_TRUE(fromKey.Erase());
  EXPECT_EQ((*fromKey)->GetName(), U"D");  // the element that followed
  EXPECT_EQ(Names(f.Key()->GetColumns()), (VXStringVector{U"A", U"D"}));
  fromKey.ToEnd();
  EXPECT_FALSE(fromKey.Erase());
  EXPECT_TRUE((*fromKey).IsNull());
}

TEST(Relations, SortedRelationshipMoves) {
  KeyFixture f;
  Ref<ATableKey> key = f.Key();
  for (VoidID id : {f.a, f.c, f.d}) key->AddColumn(Ref<AColumn>(f.rp.GetObject(id)));
  const RpObjectVector tupleD{f.rp.GetObject(f.d), f.rp.GetObject(f.key)};
  EXPECT_TRUE(ARelation::MoveUpInSortedRelationship(RpRel::kKeyColumn, tupleD));
  EXPECT_EQ(Names(key->GetColumns()), (VXStringVector{U"A", U"D", U"C"}));
  EXPECT_TRUE(ARelation::MoveUpInSortedRelationship(RpRel::kKeyColumn, tupleD));
  EXPECT_FALSE(ARelation::MoveUpInSortedRelationship(RpRel::kKeyColumn, tupleD));
  EXPECT_TRUE(ARelation::MoveDownInSortedRelationship(RpRel::kKeyColumn, tupleD));
  EXPECT_EQ(Names(key->GetColumns()), (VXStringVector{U"A", U"D", U"C"}));
  EXPECT_TRUE(ARelation::EraseRelationship(RpRel::kKeyColumn, tupleD));
  EXPECT_FALSE(ARelation::EraseRelationship(RpRel::kKeyColumn, tupleD));
  EXPECT_EQ(Names(key->GetColumns()), (VXStringVector{U"A", U"C"}));
}

TEST(Relations, ContainmentThroughTheSameOperations) {
  SampleRepository s;
  Ref<ATable> orders(s.Get(s.orders));
  BinaryRelIter<AColumn> cols = orders->GetColumns();
  EXPECT_EQ(Names(cols), (VXStringVector{U"Id", U"Amount"}));
  // Move Amount up among the children, via the sorted-relationship call.
  EXPECT_TRUE(ARelation::MoveUpInSortedRelationship(RpRel::kContainment, {s.Get(s.orders), s.Get(s.amount)}));
  EXPECT_EQ(Names(orders->GetColumns()), (VXStringVector{U"Amount", U"Id"}));
  // Inserting a column through the iterator moves it under the table.
  Ref<AColumn> itemId(s.Get(s.itemId));
  BinaryRelIter<AColumn> it = orders->GetColumns();
  EXPECT_TRUE(it.Insert(itemId));
  EXPECT_EQ(itemId->GetTable().GetID(), s.orders);
  EXPECT_EQ(Names(orders->GetColumns()), (VXStringVector{U"Amount", U"Id", U"Id"}));
  EXPECT_TRUE(it.IsExistingRelationship({s.orders, s.itemId}));
  EXPECT_TRUE(ARelation::IsExistingRelationship(RpRel::kContainment, {s.Get(s.orders), s.Get(s.itemId)}));
  // Erasing leaves the column without a parent.
  EXPECT_TRUE(it.Erase());
  EXPECT_TRUE(itemId->GetParentObject().IsNull());
  // Insert of a type the view does not show is refused.
  BinaryRelIter<ATableKey> keys = orders->GetTableKeys();
  VoidRelIter& keyView = keys;
  EXPECT_FALSE(keyView.Insert(s.Get(s.itemId)));
  EXPECT_EQ(itemId->GetParentObject().GetID(), VoidID::NullID);
}

TEST(Relations, ComplexJoinOnEitherSide) {
  SampleRepository s;
  auto join = s.b.Add(kTIDAComplexJoin, U"J");
  Ref<AComplexJoin> j(join.Obj());
  j->SetTables(Ref<ATable>(s.Get(s.orders)), Ref<ATable>(s.Get(s.items)));
  EXPECT_EQ(j->GetLeftTable().GetID(), s.orders);
  EXPECT_EQ(j->GetRightTable().GetID(), s.items);
  Ref<ATable> items(s.Get(s.items));
  BinaryRelIter<AComplexJoin> links = items->GetComplexJoinLinks();
  ASSERT_EQ(links.Size(), 1u);
  EXPECT_EQ((*links).GetID(), join.Id());
  EXPECT_EQ(links.GetArgObjRef(0).GetID(), s.orders);
  EXPECT_EQ(links.GetArgObjRef(2).GetID(), join.Id());
  EXPECT_TRUE(links.GetArgObjRef(3).IsNull());
  Ref<ATable> orders(s.Get(s.orders));
  EXPECT_TRUE(orders->GetComplexJoinLinks().IsExistingRelationship({s.orders, join.Id()}));
  EXPECT_FALSE(orders->GetComplexJoinLinks().IsExistingRelationship({s.catTable, join.Id()}));
  EXPECT_TRUE(orders->GetComplexJoinLinks().IsExistingRelationship({s.orders, s.items, join.Id()}));
  EXPECT_FALSE(orders->GetComplexJoinLinks().IsExistingRelationship({s.items, s.orders, join.Id()}));
}

TEST(Relations, IteratorEqualityAndEnd) {
  SampleRepository s;
  Ref<ATable> orders(s.Get(s.orders));
  BinaryRelIter<AColumn> a = orders->GetColumns();
  BinaryRelIter<AColumn> end = a;
  end.ToEnd();
  int n = 0;
  for (a.ToBegin(); !(a == end); ++a) ++n;
  EXPECT_EQ(n, 2);
  ++a;  // stays at the end
  EXPECT_TRUE(a == end);
  EXPECT_FALSE(a == orders->GetTableKeys());
  VoidRelIter empty;
  EXPECT_TRUE(empty.IsEnd());
  EXPECT_TRUE(empty.GetArgObjRef(0).IsNull());
  EXPECT_FALSE(empty.Insert(s.Get(s.orders)));
}

TEST(Relations, NamedViewsOfTheModel) {
  SampleRepository s;
  // Level parent links (109), dimension levels.
  auto dim = s.b.At(s.bm).Child(kTIDADimension, U"Time");
  auto year = dim.Child(kTIDALevel, U"Year");
  auto month = year.Child(kTIDALevel, U"Month");
  auto day = month.Child(kTIDALevel, U"Day");
  year.Child(kTIDALevel, U"Quarter");
  Ref<ADimension> d(dim.Obj());
  EXPECT_EQ(Names(d->GetAllLevels()), (VXStringVector{U"Year", U"Month", U"Day", U"Quarter"}));
  EXPECT_EQ(Ref<ALevel>(day.Obj())->GetDimension().GetID(), dim.Id());
  auto l2l = dim.Child(kTIDALevelToLevel, U"YM");
  auto role = l2l.Child(kTIDARole, U"parent");
  s.b.Relate(RpRel::kLevelParentLink, {month, role});
  EXPECT_EQ(Names(Ref<ALevel>(month.Obj())->GetParentLinks()), (VXStringVector{U"parent"}));
  Ref<ARole> r(role.Obj());
  r->SetMultiplicity(Multiplicity{MultiplicityTypes::kZero, MultiplicityTypes::kMany, 0, 0});
  EXPECT_TRUE(r->GetMultiplicity().CheckCardinality(2));
}

TEST(Multiplicity, CheckCardinality) {
  using namespace MultiplicityTypes;
  struct Case {
    Multiplicity m;
    int count;
    bool ok;
  } cases[] = {
      {{kZero, kOne, 0, 0}, 0, true},   {{kZero, kOne, 0, 0}, 1, true},   {{kZero, kOne, 0, 0}, 2, false},
      {{kOne, kMany, 0, 0}, 0, false},  {{kOne, kMany, 0, 0}, 2, true},   {{kOne, kOne, 0, 0}, 1, true},
      {{kZero, kMany, 0, 3}, 4, false}, {{kZero, kMany, 2, 0}, 1, false}, {{kUnknown, kUnknown, 0, 0}, 2, true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.m.CheckCardinality(c.count), c.ok) << c.count;
}

// The same tuples into two gateways built alike, one batch against one by
// one: the same refusal, the same handles, each object seeing the same
// tuples in the same order, before and after edits.
struct TwinModel {
  ARpGateway rp;
  RpBuilder b{rp};
  std::vector<VoidID> objects;
  TwinModel() {
    auto db = b.Add(kTIDADatabase, U"DB");
    objects.push_back(db);
    for (int t = 0; t < 4; ++t) {
      auto table = db.Child(kTIDATable, U"T" + ToVXString(std::to_string(t)));
      objects.push_back(table);
      for (int c = 0; c < 40; ++c) objects.push_back(table.Child(kTIDAColumn, U"C" + ToVXString(std::to_string(c))));
      objects.push_back(table.Child(kTIDATableKey, U"K"));
    }
  }
};

void ExpectSameTuples(ARpGateway& a, ARpGateway& b, const std::vector<VoidID>& objects) {
  for (const VoidID& id : objects) {
    std::vector<std::uint32_t> ha, hb;
    a.FindTuplesOf(id, ha);
    b.FindTuplesOf(id, hb);
    ASSERT_EQ(ha, hb) << ToNarrow(id.ToString());
    for (std::uint32_t h : ha) {
      ASSERT_NE(b.GetTuple(h), nullptr);
      EXPECT_EQ(a.GetTuple(h)->m_rel, b.GetTuple(h)->m_rel);
      EXPECT_EQ(a.GetTuple(h)->m_args, b.GetTuple(h)->m_args);
    }
  }
}

TEST(Relations, BatchInsertAgreesWithOneByOne) {
  TwinModel one, batch;
  const std::vector<VoidID>& o = one.objects;
  std::vector<ARpGateway::RelTuple> tuples;
  std::mt19937 random(11);
  for (int i = 0; i < 3000; ++i) {
    const VoidID x = o[random() % o.size()];
    const VoidID y = o[random() % o.size()];
    if (random() % 5 == 0) {
      tuples.push_back({RpRel::kComplexJoin, {x, y, o[random() % o.size()]}});
    } else {
      tuples.push_back({random() % 2 ? RpRel::kKeyColumn : RpRel::kForeignKeyColumns, {x, y}});
    }
    // Some tuples again, some with one object twice.
    if (random() % 7 == 0) tuples.push_back(tuples[random() % tuples.size()]);
    if (random() % 50 == 0) tuples.push_back({RpRel::kKeyColumn, {x, x}});
  }
  const std::size_t n = tuples.size();
  std::vector<ARpGateway::RelTuple> given = tuples;
  EXPECT_EQ(batch.rp.InsertTuples(given), n);
  for (const auto& t : tuples) ASSERT_NE(one.rp.InsertTuple(t.m_rel, t.m_args), ARpGateway::kNoTuple);
  ExpectSameTuples(one.rp, batch.rp, o);
  // Edits after the batch see the same lists.
  for (int i = 0; i < 200; ++i) {
    const std::uint32_t h = static_cast<std::uint32_t>(random() % n);
    const int delta = static_cast<int>(random() % 5) - 2;
    if (random() % 2) {
      EXPECT_EQ(one.rp.EraseTuple(h), batch.rp.EraseTuple(h));
    } else {
      EXPECT_EQ(one.rp.MoveTupleByHandle(h, delta), batch.rp.MoveTupleByHandle(h, delta));
    }
  }
  one.rp.DeleteObject(o[5]);
  batch.rp.DeleteObject(o[5]);
  ExpectSameTuples(one.rp, batch.rp, o);
}

TEST(Relations, BatchInsertStopsWhereOneByOneIsRefused) {
  TwinModel one, batch;
  const std::vector<VoidID>& o = one.objects;
  const VoidID table = o[1], otherTable = o[43], column = o[2];
  const std::vector<ARpGateway::RelTuple> tuples = {
      {RpRel::kKeyColumn, {o[3], o[42]}},
      {RpRel::kKeyColumn, {o[4], o[42]}},
      {RpRel::kKeyColumn, {o[3], o[42]}},
      // A containment link moves the column to the other table.
      {RpRel::kContainment, {otherTable, column}},
      {RpRel::kKeyColumn, {column, o[42]}},
      {RpRel::kKeyColumn, {o[4], o[42]}},
      {RpRel::kKeyColumn, {o[6], VoidID(3001, 999)}},  // no such object: refused
      {RpRel::kKeyColumn, {o[7], o[42]}},
  };
  std::vector<ARpGateway::RelTuple> given = tuples;
  EXPECT_EQ(batch.rp.InsertTuples(given), 6u);
  // The refused tuple is still there to report.
  EXPECT_EQ(given[6].m_args, tuples[6].m_args);
  for (std::size_t i = 0; i < 6; ++i) one.rp.InsertTuple(tuples[i].m_rel, tuples[i].m_args);
  ExpectSameTuples(one.rp, batch.rp, o);
  EXPECT_EQ(batch.rp.GetObject(column)->GetParentPointer()->GetID(), otherTable);
  EXPECT_NE(batch.rp.GetObject(table)->GetChildPointers().front()->GetID(), column);
  std::vector<std::uint32_t> handles;
  batch.rp.FindTuplesOf(o[7], handles);
  EXPECT_TRUE(handles.empty());
  // Into a gateway that has tuples already, the same rules one by one.
  std::vector<ARpGateway::RelTuple> more = {{RpRel::kKeyColumn, {o[8], o[42]}}, {RpRel::kKeyColumn, {o[3], o[42]}}};
  EXPECT_EQ(batch.rp.InsertTuples(more), 2u);
  handles.clear();
  batch.rp.FindTuplesOf(o[42], handles);
  EXPECT_EQ(handles.size(), 4u);  // o[3], o[4], the moved column, o[8]
  std::vector<ARpGateway::RelTuple> wrongArity = {{RpRel::kKeyColumn, {o[9]}}};
  EXPECT_EQ(batch.rp.InsertTuples(wrongArity), 0u);
}

}  // namespace
