// GetUDMLChildren and the conditions' GetChildren, one parent type per row.
#include <gtest/gtest.h>

#include "Metadata/SMLookupCondition.h"
#include "common/Ids.h"
#include "objectmodel/RpBuilder.h"

namespace {

using testutil::IDs;

VoidIDVector Children(ARpGateway& rp, const VoidID& parent) {
  RpObjectVector v;
  GetUDMLChildren(rp.GetObject(parent), v);
  return IDs(v);
}

}  // namespace

TEST(LookupConditionChildren, EveryContainerTypeListsItsChildrenInOrder) {
  ARpGateway rp;
  RpBuilder b(rp);
  struct Row {
    const char* parent;
    VoidID id;
    VoidIDVector expected;
  };
  std::vector<Row> rows;

  // Business model layer. Children are created out of the listed order, so
  // a row only passes when the relations are asked in the right order.
  const auto bm = b.Add(kTIDASubjectArea, U"BM");
  const auto dim = bm.Child(kTIDADimension, U"Time");
  const auto lt = bm.Child(kTIDALogicalTable, U"Fact");
  const auto ldf = bm.Child(kTIDALogicalDisplayFolder, U"Folder");
  const auto rel = bm.Child(kTIDARelationship, U"Join");
  rows.push_back({"business model", bm, {ldf, lt, dim}});

  rows.push_back({"relationship", rel, {rel.Child(kTIDARole, U"R1"), rel.Child(kTIDARole, U"R2")}});

  const auto source = lt.Child(kTIDALogicalTableSource, U"Src");
  const auto fk = lt.Child(kTIDALogicalForeignKey, U"FK");
  const auto key = lt.Child(kTIDAKey, U"Key");
  const auto col = lt.Child(kTIDAAttribute, U"Revenue");
  const auto srcFolder = lt.Child(kTIDALogicalSourceFolder, U"SF");
  const auto plainCol = lt.Child(kTIDAAttribute, U"Plain");
  rows.push_back({"logical table", lt, {col, plainCol, key, fk, srcFolder, source}});

  const auto measure = col.Child(kTIDAMeasureDefn, U"M");
  rows.push_back({"logical column with a measure", col, {measure}});
  rows.push_back({"logical column without one", plainCol, {}});
  const auto override1 = measure.Child(kTIDAOverrideAggrRule, U"O");
  const auto rule = measure.Child(kTIDAAggrRule, U"A");
  rows.push_back({"measure definition", measure, {rule, override1}});

  const auto year = dim.Child(kTIDALevel, U"Year");
  const auto l2l = dim.Child(kTIDALevelToLevel, U"L2L");
  const auto month = year.Child(kTIDALevel, U"Month");
  const auto seq = year.Child(kTIDARelativeSequenceNumber, U"Seq");
  const auto levelKey = year.Child(kTIDAKey, U"YearKey");
  rows.push_back({"dimension", dim, {year, month}});
  rows.push_back({"level", year, {levelKey, seq}});
  rows.push_back({"level-to-level relationship", l2l, {l2l.Child(kTIDARole, U"Up")}});

  // Physical layer.
  const auto db = b.Add(kTIDADatabase, U"DB");
  const auto pdf = db.Child(kTIDAPhysicalDisplayFolder, U"PDF");
  const auto pool = db.Child(kTIDAConnectionPool, U"Pool");
  const auto cat = db.Child(kTIDACatalog, U"Cat");
  const auto dbTable = db.Child(kTIDATable, U"T1");
  const auto dbSchema = db.Child(kTIDASchema, U"S0");
  rows.push_back({"database", db, {dbTable, cat, dbSchema, pool, pdf}});

  const auto catSchema = cat.Child(kTIDASchema, U"S1");
  const auto catTable = cat.Child(kTIDATable, U"T2");
  const auto aw = cat.Child(kTIDAAnalyticWorkspace, U"AW");
  rows.push_back({"catalog", cat, {catSchema, catTable}});
  const auto schemaTable = catSchema.Child(kTIDATable, U"T3");
  const auto cube = catSchema.Child(kTIDACubeTable, U"Cube");
  rows.push_back({"schema", catSchema, {schemaTable, cube}});

  const auto tkey = dbTable.Child(kTIDATableKey, U"PK");
  const auto tfk = dbTable.Child(kTIDAForeignKey, U"FK");
  const auto c1 = dbTable.Child(kTIDAColumn, U"C1");
  const auto c2 = dbTable.Child(kTIDAColumn, U"C2");
  rows.push_back({"physical table", dbTable, {c1, c2, tkey, tfk}});

  b.Relate(RpRel::kPhysicalDisplayFolderTables, {pdf, catTable});
  b.Relate(RpRel::kPhysicalDisplayFolderTables, {pdf, dbTable});
  rows.push_back({"physical display folder", pdf, {catTable, dbTable}});

  const auto pdim = cube.Child(kTIDAPhysicalDimension, U"PD");
  const auto hier = cube.Child(kTIDAHierarchy, U"H");
  cube.Child(kTIDACubeColumn, U"CC");  // not among a cube table's children here
  rows.push_back({"cube table", cube, {hier, pdim}});
  rows.push_back(
      {"physical hierarchy", hier, {hier.Child(kTIDAPhysicalLevel, U"L1"), hier.Child(kTIDAPhysicalLevel, U"L2")}});

  const auto block = b.Add(kTIDASessionVariableBlock, U"Init");
  rows.push_back(
      {"initialization block", block, {block.Child(kTIDARpVariable, U"V1"), block.Child(kTIDARpVariable, U"V2")}});

  const auto awDim = aw.Child(kTIDAAWDimension, U"AWD");
  const auto awCube = aw.Child(kTIDAAWCube, U"AWC");
  const auto awHier = awDim.Child(kTIDAAWHierarchy, U"AWH");
  const auto awDimCol = awDim.Child(kTIDAAWColumn, U"AWDC");
  const auto awCubeCol = awCube.Child(kTIDAAWColumn, U"AWCC");
  const auto awLevel = awHier.Child(kTIDAAWLevel, U"AWL");
  rows.push_back({"AW dimension", awDim, {awDimCol, awHier}});
  rows.push_back({"AW cube", awCube, {awCubeCol}});
  rows.push_back({"AW hierarchy", awHier, {awLevel}});
  rows.push_back({"analytic workspace", aw, {}});

  // Presentation layer.
  const auto area = b.Add(kTIDACatalogFolder, U"Sales");
  const auto table = area.Child(kTIDAEntityFolder, U"Orders");
  const auto folder = area.Child(kTIDASchemaFolder, U"Folder");
  rows.push_back({"subject area", area, {table, folder}});
  const auto phier = table.Child(kTIDAPresentationHierarchy, U"PH");
  const auto pcol = table.Child(kTIDAFolderAttr, U"Amount");
  rows.push_back({"presentation table", table, {pcol, phier}});
  rows.push_back({"presentation hierarchy", phier, {phier.Child(kTIDAPresentationLevel, U"PL")}});
  rows.push_back({"presentation column", pcol, {}});

  const auto customer = b.Add(kTIDAMktg_CustomerType, U"Customer");
  const auto segCat = customer.Child(kTIDAMktg_SegmentationCatalog, U"Seg");
  const auto sampling = customer.Child(kTIDAMktg_SamplingTable, U"Sample");
  rows.push_back({"customer type", customer, {sampling, segCat}});
  const auto item = b.Add(kTIDAMktg_QualifiedItem, U"Item");
  rows.push_back({"qualified item", item, {item.Child(kTIDAMktg_QualifyingKey, U"QK")}});

  for (const Row& row : rows) {
    SCOPED_TRACE(row.parent);
    EXPECT_EQ(Children(rp, row.id), row.expected);
  }
}

TEST(LookupConditionChildren, NothingForNoObjectAndAppendsForConditions) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto schema = b.Add(kTIDADatabase, U"DB").Child(kTIDASchema, U"S");
  const auto t = schema.Child(kTIDATable, U"T");

  RpObjectVector v;
  GetUDMLChildren(Ref<ARpObject>(), v);
  GetUDMLChildren(Ref<ARpObject>(&rp, VoidID(kTIDASchema, 424242)), v);
  EXPECT_TRUE(v.empty());

  // The conditions append what GetUDMLChildren yields, keeping what is there.
  v.push_back(rp.GetObject(schema));
  NamedInterfaceTypeCondition(kTIDATable, QualifiedName{U"DB", U"", U"S", U"T"}, false)
      .GetChildren(rp.GetObject(schema), v);
  FlexibleNamedInterfaceTypeCondition(TypeIDVector{kTIDATable}, QualifiedName{U"", U"T"}, false)
      .GetChildren(rp.GetObject(schema), v);
  EXPECT_EQ(IDs(v), (VoidIDVector{schema, t, t}));

  // A deleted child is no longer listed.
  rp.DeleteObject(t);
  v.clear();
  GetUDMLChildren(rp.GetObject(schema), v);
  EXPECT_TRUE(v.empty());
}
