// Child lists after children leave: the order of those that stay, the first
// and last child, moving children among gaps, and the slots closed up again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "objectmodel/ObjectModel.h"

namespace {

struct Table {
  ARpGateway rp;
  VoidID table, other;
  std::vector<VoidID> cols;
  explicit Table(int n) {
    RpBuilder b(rp);
    auto db = b.Add(kTIDADatabase, U"DB");
    table = db.Child(kTIDATable, U"T");
    other = db.Child(kTIDATable, U"U");
    for (int i = 0; i < n; ++i)
      cols.push_back(rp.CreateObject(kTIDAColumn, ToVXString("c" + std::to_string(i)), table).GetID());
  }
  std::vector<std::string> Names(const VoidID& parent) {
    std::vector<std::string> out;
    for (ARpObject* c : rp.GetObject(parent)->GetChildPointers()) out.push_back(ToNarrow(c->GetName()));
    return out;
  }
  void MoveOut(int i) { Ref<AColumn>(rp.GetObject(cols[static_cast<std::size_t>(i)]))->SetTable(rp.GetObject(other)); }
};

TEST(ChildSlots, LeavingChildrenKeepTheOrderOfTheRest) {
  Table t(5);
  t.MoveOut(1);
  t.MoveOut(3);
  EXPECT_EQ(t.Names(t.table), (std::vector<std::string>{"c0", "c2", "c4"}));
  const ChildPointers kids = t.rp.GetObject(t.table)->GetChildPointers();
  EXPECT_EQ(kids.size(), 3u);
  EXPECT_EQ(kids.front()->GetName(), U"c0");
  EXPECT_EQ(kids.back()->GetName(), U"c4");
  // The last child leaving: the one before it is last now.
  t.MoveOut(4);
  EXPECT_EQ(t.rp.GetObject(t.table)->GetChildPointers().back()->GetName(), U"c2");
  t.MoveOut(0);
  t.MoveOut(2);
  EXPECT_TRUE(t.rp.GetObject(t.table)->GetChildPointers().empty());
  EXPECT_EQ(t.Names(t.other), (std::vector<std::string>{"c1", "c3", "c4", "c0", "c2"}));
}

TEST(ChildSlots, ManyLeaveAndComeBack) {
  // Enough leavers that the slots are closed up on the way.
  Table t(100);
  for (int i = 0; i < 100; ++i) {
    if (i % 4 != 1) t.MoveOut(i);
  }
  std::vector<std::string> expected;
  for (int i = 0; i < 100; ++i) {
    if (i % 4 == 1) expected.push_back("c" + std::to_string(i));
  }
  EXPECT_EQ(t.Names(t.table), expected);
  EXPECT_EQ(t.rp.GetObject(t.table)->GetChildPointers().size(), expected.size());
  // A child moved up among gaps moves among the children that are there.
  ASSERT_TRUE(t.rp.MoveChild(t.cols[9], -2));
  expected.erase(std::find(expected.begin(), expected.end(), "c9"));
  expected.insert(expected.begin(), "c9");
  EXPECT_EQ(t.Names(t.table), expected);
  // Back under the first table, at the end; deleting a child in the middle.
  Ref<AColumn>(t.rp.GetObject(t.cols[0]))->SetTable(t.rp.GetObject(t.table));
  expected.push_back("c0");
  t.rp.DeleteObject(t.cols[49]);
  expected.erase(std::find(expected.begin(), expected.end(), "c49"));
  EXPECT_EQ(t.Names(t.table), expected);
}

}  // namespace
