// The presentation mappings the library reads: logical columns and levels to
// the presentation objects that show them (relationships 30 and 32) in the
// logical side's order, a level's attributes and preferred drill-down,
// presentation levels' logical levels, and a project's included and
// excluded objects; each order kept through a repository file.
#include <gtest/gtest.h>

#include <memory>

#include "SampleRepository.h"
#include "objectmodel/RpFile.h"

namespace {

VoidIDVector IDs(const VoidRelIter& it) { return it.GetIDs(); }

struct Mapping {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID city, year, month, day, saTable, mkTable, pcSa, pcMk, pcOther, hSa, hMk, plSa, plMk, project;
  Mapping() {
    auto bm = b.Add(kTIDASubjectArea, U"BM");
    auto lt = bm.Child(kTIDALogicalTable, U"Geo");
    city = lt.Child(kTIDAAttribute, U"City");
    auto dim = bm.Child(kTIDADimension, U"Time");
    year = dim.Child(kTIDALevel, U"Year");
    month = b.At(year).Child(kTIDALevel, U"Month");
    day = b.At(month).Child(kTIDALevel, U"Day");
    auto sa = b.Add(kTIDACatalogFolder, U"Sales");
    auto mk = b.Add(kTIDACatalogFolder, U"Marketing");
    saTable = sa.Child(kTIDAEntityFolder, U"Geo");
    mkTable = mk.Child(kTIDAEntityFolder, U"Geo");
    pcSa = b.At(saTable).Child(kTIDAFolderAttr, U"City");
    pcMk = b.At(mkTable).Child(kTIDAFolderAttr, U"City");
    pcOther = b.At(mkTable).Child(kTIDAFolderAttr, U"Town");
    hSa = b.At(saTable).Child(kTIDAPresentationHierarchy, U"Time");
    hMk = b.At(mkTable).Child(kTIDAPresentationHierarchy, U"Time");
    plSa = b.At(hSa).Child(kTIDAPresentationLevel, U"Month");
    plMk = b.At(hMk).Child(kTIDAPresentationLevel, U"Month");
    project = b.Add(kTIDAProject, U"Reports");
  }
  Ref<AAttribute> City() { return Ref<AAttribute>(rp.GetObject(city)); }
  Ref<ALevel> Level(const VoidID& id) { return Ref<ALevel>(rp.GetObject(id)); }
};

TEST(PresentationMapping, LogicalColumnSeesItsPresentationColumnsInLinkOrder) {
  Mapping m;
  // Linked from the presentation side, in the order Marketing, Sales, Other.
  for (const VoidID& pc : {m.pcMk, m.pcSa, m.pcOther}) {
    Ref<AFolderAttr>(m.rp.GetObject(pc))->SetLogicalColumn(m.City());
  }
  EXPECT_EQ(IDs(m.City()->GetPresentationColumns()), (VoidIDVector{m.pcMk, m.pcSa, m.pcOther}));
  EXPECT_EQ(IDs(AFolderAttr::GetFolderAttrsFromColumn(m.City())), (VoidIDVector{m.pcMk, m.pcSa, m.pcOther}));
  EXPECT_EQ(Ref<AFolderAttr>(m.rp.GetObject(m.pcSa))->GetLogicalColumn().GetID(), m.city);
  // Relinking a presentation column to the same logical column keeps its place.
  Ref<AFolderAttr>(m.rp.GetObject(m.pcMk))->SetLogicalColumn(m.City());
  EXPECT_EQ(IDs(m.City()->GetPresentationColumns()), (VoidIDVector{m.pcMk, m.pcSa, m.pcOther}));
  // The order is the logical column's (the relation's sorted side).
  EXPECT_TRUE(ARelation::MoveDownInSortedRelationship(RpRel::kLogicalToPresentationColumn,
                                                      {m.rp.GetObject(m.city), m.rp.GetObject(m.pcMk)}));
  EXPECT_EQ(IDs(m.City()->GetPresentationColumns()), (VoidIDVector{m.pcSa, m.pcMk, m.pcOther}));
  // Deleting one takes it out of the list; the others keep their order.
  ASSERT_TRUE(m.rp.DeleteObject(m.pcSa));
  EXPECT_EQ(IDs(m.City()->GetPresentationColumns()), (VoidIDVector{m.pcMk, m.pcOther}));
  EXPECT_EQ(AFolderAttr::GetFolderAttrsFromColumn(Ref<AAttribute>()).Size(), 0u);
}

TEST(PresentationMapping, LevelsAttributesDrillDownAndPresentationLevels) {
  Mapping m;
  // The presentation levels of Month: Marketing's linked first.
  Ref<APresentationLevel>(m.rp.GetObject(m.plMk))->SetLogicalLevel(m.Level(m.month));
  Ref<APresentationLevel>(m.rp.GetObject(m.plSa))->SetLogicalLevel(m.Level(m.month));
  EXPECT_EQ(IDs(m.Level(m.month)->GetPresentationLevels()), (VoidIDVector{m.plMk, m.plSa}));
  Ref<APresentationLevel> plSa(m.rp.GetObject(m.plSa));
  EXPECT_EQ(plSa->GetLogicalLevel().GetID(), m.month);
  EXPECT_EQ(plSa->GetHierarchy().GetID(), m.hSa);
  EXPECT_EQ(plSa->GetHierarchy()->GetContainer().GetID(), m.saTable);
  // A level's preferred drill-down, in the order given, skipping a level.
  m.b.Relate(RpRel::kPreferredDrilldown, {m.year, m.day});
  m.b.Relate(RpRel::kPreferredDrilldown, {m.year, m.month});
  EXPECT_EQ(IDs(m.Level(m.year)->GetPreferredUIDrilldown()), (VoidIDVector{m.day, m.month}));
  EXPECT_EQ(m.Level(m.month)->GetPreferredUIDrilldown().Size(), 0u);
  // A level's attributes are the logical columns associated with it.
  m.Level(m.day)->AddAttribute(m.City());
  EXPECT_EQ(IDs(m.Level(m.day)->GetAttributes()), (VoidIDVector{m.city}));
  // A presentation level without a logical level.
  Ref<APresentationLevel>(m.rp.GetObject(m.plMk))->SetLogicalLevel(Ref<ALevel>());
  EXPECT_TRUE(Ref<APresentationLevel>(m.rp.GetObject(m.plMk))->GetLogicalLevel().IsNull());
  EXPECT_EQ(IDs(m.Level(m.month)->GetPresentationLevels()), (VoidIDVector{m.plSa}));
}

TEST(PresentationMapping, ProjectListsIncludedAndExcludedObjectsApart) {
  Mapping m;
  m.b.Relate(RpRel::kProjectIncluded, {m.project, m.pcOther});
  m.b.Relate(RpRel::kProjectIncluded, {m.project, m.saTable});
  m.b.Relate(RpRel::kProjectExcluded, {m.project, m.pcSa});
  Ref<AProject> project(m.rp.GetObject(m.project));
  EXPECT_EQ(IDs(project->GetIncludedPresentationObjects()), (VoidIDVector{m.pcOther, m.saTable}));
  EXPECT_EQ(IDs(project->GetExcludedPresentationObjects()), (VoidIDVector{m.pcSa}));
}

TEST(PresentationMapping, OrdersSurviveARepositoryFile) {
  Mapping m;
  for (const VoidID& pc : {m.pcOther, m.pcMk, m.pcSa}) m.b.Relate(RpRel::kLogicalToPresentationColumn, {m.city, pc});
  m.b.Relate(RpRel::kLogicalToPresentationLevel, {m.month, m.plSa});
  m.b.Relate(RpRel::kLogicalToPresentationLevel, {m.month, m.plMk});
  ASSERT_TRUE(ARelation::MoveUpInSortedRelationship(RpRel::kLogicalToPresentationLevel,
                                                    {m.rp.GetObject(m.month), m.rp.GetObject(m.plMk)}));
  m.b.Relate(RpRel::kPreferredDrilldown, {m.year, m.day});
  m.b.Relate(RpRel::kPreferredDrilldown, {m.year, m.month});
  m.b.Relate(RpRel::kProjectIncluded, {m.project, m.saTable});
  m.b.Relate(RpRel::kProjectIncluded, {m.project, m.pcMk});
  m.b.Relate(RpRel::kProjectExcluded, {m.project, m.hMk});

  const std::string text = RpFile::SaveToString(m.rp);
  std::unique_ptr<ARpGateway> back = RpFile::LoadFromMemory(text.data(), text.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(IDs(Ref<AAttribute>(back->GetObject(m.city))->GetPresentationColumns()),
            (VoidIDVector{m.pcOther, m.pcMk, m.pcSa}));
  EXPECT_EQ(IDs(Ref<ALevel>(back->GetObject(m.month))->GetPresentationLevels()), (VoidIDVector{m.plMk, m.plSa}));
  EXPECT_EQ(IDs(Ref<ALevel>(back->GetObject(m.year))->GetPreferredUIDrilldown()), (VoidIDVector{m.day, m.month}));
  Ref<AProject> project(back->GetObject(m.project));
  EXPECT_EQ(IDs(project->GetIncludedPresentationObjects()), (VoidIDVector{m.saTable, m.pcMk}));
  EXPECT_EQ(IDs(project->GetExcludedPresentationObjects()), (VoidIDVector{m.hMk}));
}

}  // namespace
