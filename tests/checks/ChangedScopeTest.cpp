// The scope of an incremental check: what changed since an earlier copy and
// what refers to it, by comparing the repositories and by comparing the two
// files' texts, which must agree.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Checks/ConsistencyCheck.h"
#include "Expr/ExprBuilder.h"
#include "checks/CleanModel.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace {

using IDSet = std::unordered_set<VoidID, VoidIDHash>;

std::unique_ptr<ARpGateway> Load(const std::string& text) { return RpFile::LoadFromMemory(text.data(), text.size()); }

std::unique_ptr<ARpGateway> CopyOf(ARpGateway& rp) { return Load(RpFile::SaveToString(rp)); }

IDSet IDsOf(std::initializer_list<Ref<ARpObject>> objects) {
  IDSet ids;
  for (const Ref<ARpObject>& o : objects) ids.insert(o.GetID());
  return ids;
}

TEST(ChangedObjectScope, DeletionAndPropertyChangesAndSameNamedSiblings) {
  CleanModel m;
  Ref<ARpObject> sibling = m.rp.CreateObject(kTIDATable, U"ORDERS_V2", m.db.GetID());
  RpSourceDefinition defn = Ref<ALogicalTableSource>(m.lts)->GetSourceDefinition();
  defn.m_logicalToPhysical.emplace_back(ExprBuilder().Int(1).Build(), ExprBuilder().ID(m.colB.GetID()).Build());
  Ref<ALogicalTableSource>(m.lts)->SetSourceDefinition(defn);
  std::unique_ptr<ARpGateway> earlier = CopyOf(m.rp);
  // Deleting the physical column: the source that maps it is in scope,
  // though the source itself did not change.
  m.rp.DeleteObject(m.colB.GetID());
  auto scope = ChangedObjectScope(m.rp, *earlier);
  EXPECT_TRUE(scope.contains(m.lts.GetID()));
  EXPECT_FALSE(scope.contains(m.sa.GetID()));
  // A property change alone, and a rename onto a sibling's name.
  std::unique_ptr<ARpGateway> earlier2 = CopyOf(m.rp);
  Ref<AFolderAttr>(m.pcol)->SetDescription(U"changed");
  m.rp.RenameObject(m.table.GetID(), U"orders_v2");
  scope = ChangedObjectScope(m.rp, *earlier2);
  EXPECT_TRUE(scope.contains(m.pcol.GetID()));
  EXPECT_TRUE(scope.contains(sibling.GetID()));
  // The logical column stands in a relation with the changed presentation
  // column; the dimension has nothing to do with either change.
  EXPECT_TRUE(scope.contains(m.lcol.GetID()));
  EXPECT_FALSE(scope.contains(m.dim.GetID()));
}

// ---- the same scope from the files' texts ----------------------------------------

// The clean model with a second logical column in the table's key, so that
// a key has two columns (tuples of one relation at one object).
struct EditedModel : CleanModel {
  Ref<ARpObject> lcol2;
  EditedModel() {
    lcol2 = rp.CreateObject(kTIDAAttribute, U"Amount", ltable.GetID());
    rp.InsertTuple(RpRel::kKeyColumn, {lcol2.GetID(), lkey.GetID()});
  }
};

struct ScopeCase {
  const char* what;
  std::function<void(EditedModel&)> edit;
  // The scope written out by hand.
  std::function<IDSet(EditedModel&)> expected;
  bool bByText = true;
};

TEST(ChangedObjectScope, TextComparisonGivesTheScopeOfTheFullComparison) {
  const std::vector<ScopeCase> cases = {
      {"nothing", [](EditedModel&) {}, [](EditedModel&) { return IDSet(); }},
      {"rename a table", [](EditedModel& m) { m.rp.RenameObject(m.table.GetID(), U"ORDERS_V2"); },
       // The table, the columns under it, the source that maps it.
       [](EditedModel& m) {
         return IDsOf({m.table, m.colA, m.colB, m.lts});
       }},
      {"change a property", [](EditedModel& m) { Ref<AFolderAttr>(m.pcol)->SetDescription(U"changed"); },
       // The presentation column and the logical column it shows.
       [](EditedModel& m) {
         return IDsOf({m.pcol, m.lcol});
       }},
      {"add a column", [](EditedModel& m) { m.rp.CreateObject(kTIDAColumn, U"NOTE", m.table.GetID()); },
       [](EditedModel& m) {
         VoidIDVector ids;
         m.rp.GetObjectIDsOfType(kTIDAColumn, ids);
         return IDSet{ids.back()};
       }},
      {"delete a column the source maps", [](EditedModel& m) { m.rp.DeleteObject(m.colA.GetID()); },
       // Only the source that mapped it: the column is gone.
       [](EditedModel& m) { return IDsOf({m.lts}); }},
      {"add a tuple",
       [](EditedModel& m) {
         m.rp.InsertTuple(RpRel::kLevelAttributes, {m.level.GetID(), m.lcol2.GetID()});
       },
       // Both arguments, the level's key under it, and what stands in
       // relations with either: the level's first column, the key of lcol2.
       [](EditedModel& m) {
         return IDsOf({m.level, m.levelKey, m.lcol2, m.lcol, m.lkey});
       }},
      {"remove a tuple",
       [](EditedModel& m) {
         m.rp.EraseTuple(RpRel::kKeyColumn, {m.lcol2.GetID(), m.lkey.GetID()});
       },
       // lcol2 now stands in no relation; the key keeps lcol.
       [](EditedModel& m) {
         return IDsOf({m.lcol2, m.lkey, m.lcol});
       }},
      {"change a data blob",
       [](EditedModel& m) {
         m.rp.SetDataBlob(15, {1, 2, 3});
       },
       [](EditedModel&) { return IDSet(); }},
      {"reorder a table's columns", [](EditedModel& m) { m.rp.MoveChild(m.colB.GetID(), -1); },
       [](EditedModel&) { return IDSet(); }},
      {"reorder a key's columns",
       [](EditedModel& m) {
         m.rp.MoveTuple(RpRel::kKeyColumn, {m.lcol2.GetID(), m.lkey.GetID()}, -1);
       },
       [](EditedModel& m) {
         return IDsOf({m.lkey, m.lcol, m.lcol2});
       },
       false},
  };
  for (const ScopeCase& c : cases) {
    EditedModel m;
    const std::string earlierText = RpFile::SaveToString(m.rp);
    c.edit(m);
    const std::string nowText = RpFile::SaveToString(m.rp);
    std::unique_ptr<ARpGateway> now = Load(nowText);
    const ChangedScopeFromText byText = ChangedObjectScope(*now, nowText, earlierText, "earlier");
    EXPECT_EQ(byText.bComparedAsText, c.bByText) << c.what << ": " << byText.whyLoaded;
    const IDSet full = ChangedObjectScope(*now, *Load(earlierText));
    EXPECT_EQ(byText.scope, full) << c.what;
    EXPECT_EQ(full, c.expected(m)) << c.what;
  }
}

TEST(ChangedObjectScope, CommentsAndCDataAreComparedByLoading) {
  EditedModel m;
  std::string earlierText = RpFile::SaveToString(m.rp);
  m.rp.RenameObject(m.table.GetID(), U"ORDERS_V2");
  std::string nowText = RpFile::SaveToString(m.rp);
  const IDSet expected = IDsOf({m.table, m.colA, m.colB, m.lts});
  for (const std::string& markup : {std::string("<!-- <object id=\"3001:1\"/> -->\n"), std::string("<?note x?>\n")}) {
    for (std::string* text : {&earlierText, &nowText}) {
      std::string with = *text;
      with.insert(with.find("  <object"), markup);
      const std::string& now = text == &nowText ? with : nowText;
      const std::string& earlier = text == &earlierText ? with : earlierText;
      const ChangedScopeFromText r = ChangedObjectScope(*Load(now), now, earlier, "earlier");
      EXPECT_FALSE(r.bComparedAsText) << markup;
      EXPECT_NE(r.whyLoaded, "");
      EXPECT_EQ(r.scope, expected) << markup;
    }
  }
  // CDATA in a description: the same bytes in both texts, still loaded.
  m.rp.RenameObject(m.table.GetID(), U"ORDERS");
  Ref<AFolderAttr>(m.pcol)->SetDescription(U"x");
  earlierText = RpFile::SaveToString(m.rp);
  earlierText.replace(earlierText.find(">x</prop>"), 9, "><![CDATA[<object id=\"3001:1\">]]></prop>");
  std::unique_ptr<ARpGateway> now = Load(earlierText);
  const ChangedScopeFromText r = ChangedObjectScope(*now, earlierText, earlierText, "earlier");
  EXPECT_FALSE(r.bComparedAsText);
  EXPECT_TRUE(r.scope.empty());
}

// A generated repository of some thousands of objects with a table renamed,
// a column deleted and a tuple added: both comparisons give one scope.
TEST(ChangedObjectScope, TextAndFullComparisonAgreeOnAGeneratedRepository) {
  RpGenerator::Options options;
  options.m_objectCount = 5000;
  std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  const std::string earlierText = RpFile::SaveToString(*rp);
  VoidIDVector tables, columns;
  rp->GetObjectIDsOfType(kTIDATable, tables);
  rp->GetObjectIDsOfType(kTIDAColumn, columns);
  ASSERT_GT(tables.size(), 10u);
  rp->RenameObject(tables[3], U"RENAMED_TABLE");
  rp->DeleteObject(columns[columns.size() / 2]);
  const Ref<ARpObject> column = rp->GetObject(columns.back());
  const Ref<ARpObject> key = rp->CreateObject(kTIDATableKey, U"EXTRA_KEY", column->GetParentPointer()->GetID());
  rp->InsertTuple(RpRel::kKeyColumn, {column.GetID(), key.GetID()});
  const std::string nowText = RpFile::SaveToString(*rp);
  std::unique_ptr<ARpGateway> now = Load(nowText);
  const ChangedScopeFromText byText = ChangedObjectScope(*now, nowText, earlierText, "earlier");
  EXPECT_TRUE(byText.bComparedAsText) << byText.whyLoaded;
  EXPECT_EQ(byText.scope, ChangedObjectScope(*now, *Load(earlierText)));
  EXPECT_TRUE(byText.scope.contains(tables[3]));
  EXPECT_TRUE(byText.scope.contains(key.GetID()));
  EXPECT_TRUE(byText.scope.contains(column.GetID()));
}

}  // namespace
