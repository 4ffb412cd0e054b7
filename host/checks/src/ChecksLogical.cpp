// Checks of the business-model layer: logical tables, columns, sources,
// keys, dimensions and levels.
#include <memory>

#include "ChecksInternal.h"
#include "Metadata/SMUtil.h"

namespace checks_detail {
namespace {

// Every source definition of the logical table, with its source.
template <class Fn>
void ForEachSource(const Ref<ALogicalTable>& table, Fn fn) {
  for (BinaryRelIter<ALogicalTableSource> it = table->GetSources(); !it.IsEnd(); ++it) {
    const Ref<ALogicalTableSource> source = *it;
    fn(source, source->GetSourceDefinition());
  }
}

bool IsMappingOf(const Expr& logical, const VoidID& column) {
  VoidIDVector ids;
  logical.GetObjectIDsInExpr(ids, true);
  return ids.size() == 1 && ids.front() == column;
}

// A column of a table without sources is the table's finding (38017).
void LogicalColumnUnmapped(const CheckContext& c) {
  const Ref<AAttribute> column = As<AAttribute>(c);
  if (column->IsDerivedAttribute()) return;
  const Ref<ALogicalTable> table = column->GetLogicalTable();
  if (table.IsNull() || Count(table->GetSources()) == 0) return;
  bool bMapped = false;
  ForEachSource(table, [&](const Ref<ALogicalTableSource>& source, const RpSourceDefinition&) {
    Expr physical;
    bMapped = bMapped || MetadataUtil::IsLogicalColumnMapped(c.Object(), source, physical);
  });
  if (!bMapped) c.Report({c.Object()});
}

// A mapping whose physical expression names a column that is gone.
void LogicalColumnMappedToDeleted(const CheckContext& c) {
  const Ref<AAttribute> column = As<AAttribute>(c);
  const Ref<ALogicalTable> table = column->GetLogicalTable();
  if (table.IsNull()) return;
  bool bFound = false;
  ForEachSource(table, [&](const Ref<ALogicalTableSource>&, const RpSourceDefinition& defn) {
    for (const auto& [logical, physical] : defn.m_logicalToPhysical) {
      if (IsMappingOf(logical, column.GetID()) && !DeletedReferences(c.Gateway(), physical).empty()) bFound = true;
    }
  });
  if (bFound) c.Report({c.Object()});
}

void DerivedColumnEmpty(const CheckContext& c) {
  const Ref<AAttribute> column = As<AAttribute>(c);
  if (column->IsDerivedAttribute() && column->GetExpr().IsEmpty()) c.Report({c.Object()});
}

void DerivedColumnUsesItself(const CheckContext& c) {
  const Ref<AAttribute> column = As<AAttribute>(c);
  VoidIDVector ids;
  column->GetExpr().GetObjectIDsInExpr(ids, true);
  for (const VoidID& id : ids) {
    if (id == column.GetID()) return c.Report({c.Object()});
  }
}

// Expressions of logical columns and presentation columns (hide condition)
// that name an object that is gone.
void ExpressionRefersToDeleted(const CheckContext& c) {
  const Ref<ARpObject>& obj = c.Object();
  const Expr expr = obj->GetTypeID() == kTIDAFolderAttr ? Ref<AFolderAttr>(obj)->GetHideObjectExpr()
                                                        : Ref<AAttribute>(obj)->GetExpr();
  if (!DeletedReferences(c.Gateway(), expr).empty()) c.Report({obj});
}

void LogicalTableWithoutSource(const CheckContext& c) {
  if (Count(As<ALogicalTable>(c)->GetSources()) == 0) c.Report({c.Object()});
}

void LogicalTableWithoutColumns(const CheckContext& c) {
  if (Count(As<ALogicalTable>(c)->GetColumns()) == 0) c.Report({c.Object()});
}

// A source that maps no logical column to a non-empty physical expression.
void SourceMapsNothing(const CheckContext& c) {
  const Ref<ALogicalTableSource> source = As<ALogicalTableSource>(c);
  const RpSourceDefinition defn = source->GetSourceDefinition();
  for (const auto& mapping : defn.m_logicalToPhysical) {
    if (!mapping.second.IsEmpty()) return;
  }
  c.Report({c.Object(), Ref<ARpObject>(source->GetLogicalTable())});
}

void SourceWithoutPhysicalTables(const CheckContext& c) {
  if (As<ALogicalTableSource>(c)->GetSourceDefinition().m_physicalTables.empty()) c.Report({c.Object()});
}

void SourceReadsDeletedTable(const CheckContext& c) {
  for (const VoidID& id : As<ALogicalTableSource>(c)->GetSourceDefinition().m_physicalTables) {
    if (c.Gateway().GetObject(id).IsNull()) return c.Report({c.Object()});
  }
}

// Keys of logical tables only; a level's keys are the level's business.
void LogicalKeyWithoutColumns(const CheckContext& c) {
  const Ref<AKey> key = As<AKey>(c);
  const Ref<ARpObject> container = c.Object()->GetParentObject();
  if (container.IsNull() || container->GetTypeID() != kTIDALogicalTable) return;
  if (Count(key->GetAttributes()) == 0) c.Report({container});
}

void LogicalForeignKeyWithoutTarget(const CheckContext& c) {
  if (As<ALogicalForeignKey>(c)->GetReferencedKey().IsNull()) c.Report({c.Object()});
}

void BusinessModelWithoutTables(const CheckContext& c) {
  if (Count(As<ASubjectArea>(c)->GetLogicalTables()) == 0) c.Report({c.Object()});
}

void DimensionWithoutLevels(const CheckContext& c) {
  if (Count(As<ADimension>(c)->GetRootLevels()) == 0) c.Report({c.Object()});
}

// The grand total level (a root level) has no key and no columns by design.
bool IsGrandTotal(const Ref<ALevel>& level) {
  const Ref<ARpObject> parent = level->GetParentObject();
  return !parent.IsNull() && parent->GetTypeID() == kTIDADimension;
}

// A level outside any dimension is the finding of the topmost level of its
// chain (see LevelWithoutDimension); the message names the dimension.
void LevelWithoutKey(const CheckContext& c) {
  const Ref<ALevel> level = As<ALevel>(c);
  if (IsGrandTotal(level) || Count(level->GetKeys()) != 0) return;
  const Ref<ARpObject> dimension =
      c.Memo() ? Ref<ARpObject>(c.Memo()->DimensionOf(level.Get())) : Ref<ARpObject>(level->GetDimension());
  if (!dimension.IsNull()) c.Report({c.Object(), dimension});
}

// A level whose parent is neither a dimension nor a level: it and the
// levels below it belong to no dimension.
void LevelWithoutDimension(const CheckContext& c) {
  const Ref<ARpObject> parent = c.Object()->GetParentObject();
  if (parent.IsNull() || (parent->GetTypeID() != kTIDADimension && parent->GetTypeID() != kTIDALevel)) {
    c.Report({c.Object()});
  }
}

void LevelWithoutColumns(const CheckContext& c) {
  const Ref<ALevel> level = As<ALevel>(c);
  if (!IsGrandTotal(level) && Count(level->GetAttributes()) == 0) c.Report({c.Object()});
}

}  // namespace

void AddLogicalChecks(std::vector<ConsistencyCheck>& table) {
  table.insert(
      table.end(),
      {
          {"business-model-without-tables",
           38018,
           {kTIDASubjectArea},
           BusinessModelWithoutTables,
           "a business model with no logical tables",
           "Add a logical table to the business model, or delete the business model if nothing presents it."},
          {"logical-table-without-source",
           38017,
           {kTIDALogicalTable},
           LogicalTableWithoutSource,
           "a logical table with no logical table source",
           "Add a logical table source that maps the table's columns to a physical table, or delete the logical "
           "table."},
          {"logical-table-duplicate-name",
           38106,
           {kTIDALogicalTable},
           ReportDuplicateName,
           "two logical tables of one business model whose names match without regard to case (reported on the "
           "later one)",
           "Rename one of the two logical tables: queries cannot tell names apart that differ only in case."},
          {"logical-table-without-columns",
           38058,
           {kTIDALogicalTable},
           LogicalTableWithoutColumns,
           "a logical table with no logical columns",
           "Add logical columns to the table, or delete it."},
          {"logical-column-unmapped",
           38009,
           {kTIDAAttribute},
           LogicalColumnUnmapped,
           "a physical (not derived) logical column that no source of its table maps to a non-empty physical "
           "expression (a table without sources is reported as such instead)",
           "Map the column to a physical expression in at least one source of its table, or make it a derived column."},
          {"logical-column-mapped-to-deleted",
           38108,
           {kTIDAAttribute},
           LogicalColumnMappedToDeleted,
           "a logical column whose physical mapping names a column that no longer exists",
           "Map the column to a physical column that exists, or remove the stale mapping."},
          {"derived-column-empty",
           38055,
           {kTIDAAttribute},
           DerivedColumnEmpty,
           "a derived logical column with an empty expression",
           "Give the derived column an expression, or delete it."},
          {"derived-column-uses-itself",
           38052,
           {kTIDAAttribute},
           DerivedColumnUsesItself,
           "a derived logical column whose expression uses the column itself",
           "Rewrite the expression so that it does not refer to the column it defines."},
          {"expression-refers-to-deleted",
           38202,
           {kTIDAAttribute, kTIDAFolderAttr},
           ExpressionRefersToDeleted,
           "a logical column's expression or a presentation column's hide condition that names an object that no "
           "longer exists",
           "Replace the reference to the deleted object in the expression, or remove it."},
          {"source-maps-nothing",
           38010,
           {kTIDALogicalTableSource},
           SourceMapsNothing,
           "a logical table source all of whose mappings are empty physical expressions",
           "Map at least one logical column in the source to a physical expression, or delete the source."},
          {"source-without-physical-tables",
           38066,
           {kTIDALogicalTableSource},
           SourceWithoutPhysicalTables,
           "a logical table source that reads no physical table",
           "Add the physical tables the source reads, or delete the source."},
          {"source-reads-deleted-table",
           38107,
           {kTIDALogicalTableSource},
           SourceReadsDeletedTable,
           "a logical table source that reads a physical table that no longer exists",
           "Point the source at a physical table that exists, or remove the deleted table from it."},
          {"logical-key-without-columns",
           38084,
           {kTIDAKey},
           LogicalKeyWithoutColumns,
           "a logical table's key with no columns",
           "Add the columns that identify a row to the key, or delete the key."},
          {"logical-foreign-key-without-target",
           38110,
           {kTIDALogicalForeignKey},
           LogicalForeignKeyWithoutTarget,
           "a logical foreign key that refers to no key",
           "Make the foreign key refer to a key of the table it joins, or delete it."},
          {"dimension-without-levels",
           38025,
           {kTIDADimension},
           DimensionWithoutLevels,
           "a dimension with no levels",
           "Add levels to the dimension, starting with a grand total level, or delete it."},
          {"level-without-key",
           38011,
           {kTIDALevel},
           LevelWithoutKey,
           "a logical level below the grand total with no key",
           "Give the level a key made of the logical columns that identify its members."},
          {"level-without-dimension",
           38036,
           {kTIDALevel},
           LevelWithoutDimension,
           "a logical level that is in no dimension: neither a dimension nor a level is its parent (reported on "
           "the topmost level of such a chain)",
           "Move the level under a dimension, or under a level of one, or delete it."},
          {"level-without-columns",
           38026,
           {kTIDALevel},
           LevelWithoutColumns,
           "a logical level below the grand total with no logical columns",
           "Associate the logical columns of the level's members with it, or delete the level."},
      });
}

}  // namespace checks_detail
