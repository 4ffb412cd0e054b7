// Checks of the physical layer and of variables: tables, columns, keys,
// foreign keys, joins, cube hierarchies, initialization blocks.
#include "ChecksInternal.h"
#include "Metadata/SMPrettyStringVisitor.h"

namespace checks_detail {
namespace {

void TableWithoutColumns(const CheckContext& c) {
  if (Count(As<ATable>(c)->GetColumns()) == 0) c.Report({c.Object()});
}

void ColumnWithoutDataType(const CheckContext& c) {
  if (As<AColumn>(c)->GetDataType().empty()) c.Report({c.Object()});
}

void ForeignKeyColumnElsewhere(const CheckContext& c) {
  const Ref<AForeignKey> fk = As<AForeignKey>(c);
  const Ref<ATable> table = fk->GetContainer();
  for (BinaryRelIter<AColumn> it = fk->GetComponents(); !it.IsEnd(); ++it) {
    const Ref<AColumn> column = *it;
    if (column->GetParentObject().GetID() != table.GetID()) {
      return c.Report({Ref<ARpObject>(table), Ref<ARpObject>(column)});
    }
  }
}

void ForeignKeyColumnCount(const CheckContext& c) {
  const Ref<AForeignKey> fk = As<AForeignKey>(c);
  const Ref<ATableKey> key = fk->GetTableKey();
  if (key.IsNull()) return;
  if (Count(fk->GetComponents()) != Count(key->GetColumns())) {
    c.Report({c.Object(), Ref<ARpObject>(fk->GetContainer()), Ref<ARpObject>(key->GetTable())});
  }
}

void JoinWithoutExpression(const CheckContext& c) {
  if (As<AComplexJoin>(c)->GetJoinExpr().IsEmpty()) c.Report({c.Object()});
}

void HierarchyWithoutLevels(const CheckContext& c) {
  if (Count(As<AHierarchy>(c)->GetPhysicalLevels()) == 0) c.Report({c.Object()});
}

void PhysicalLevelWithoutKey(const CheckContext& c) {
  if (As<APhysicalLevel>(c)->GetLevelKey().IsNull()) c.Report({c.Object()});
}

void InitBlockWithoutDataSource(const CheckContext& c) {
  if (As<ASessionVariableBlock>(c)->GetInitString().empty()) c.Report({c.Object()});
}

// A static variable's value is its expression, so it must render as SQL
// text; a dynamic or session variable's expression is the default value
// used until its block runs.
void VariableWithoutInitializer(const CheckContext& c) {
  const Ref<ARpVariable> variable = As<ARpVariable>(c);
  const Expr expr = variable->GetExpr();
  bool bBroken = expr.IsEmpty() || !DeletedReferences(c.Gateway(), expr).empty();
  if (!bBroken) {
    try {
      ToPrettyStringVisitor::StringFrom(expr, &c.Gateway(), ToPrettyStringVisitor::Options());
    } catch (const std::exception&) {
      bBroken = true;
    }
  }
  if (bBroken) c.Report({c.Object()});
}

}  // namespace

void AddPhysicalChecks(std::vector<ConsistencyCheck>& table) {
  table.insert(table.end(),
               {
                   {"physical-table-without-columns",
                    38146,
                    {kTIDATable, kTIDACubeTable},
                    TableWithoutColumns,
                    "a physical table with no columns",
                    "Import or add the table's columns, or delete the table."},
                   {"physical-table-duplicate-name",
                    38179,
                    {kTIDATable, kTIDACubeTable},
                    ReportDuplicateName,
                    "two physical tables of one container whose names match without regard to case (reported on "
                    "the later one)",
                    "Rename one of the two physical tables: names that differ only in case clash in the database."},
                   {"physical-column-without-type",
                    38150,
                    {kTIDAColumn, kTIDACubeColumn},
                    ColumnWithoutDataType,
                    "a physical column with no data type",
                    "Set the column's data type to the one the database uses."},
                   {"foreign-key-column-elsewhere",
                    38142,
                    {kTIDAForeignKey},
                    ForeignKeyColumnElsewhere,
                    "a physical foreign key with a column that is not in its own table",
                    "Use only columns of the foreign key's own table in it."},
                   {"foreign-key-column-count",
                    38180,
                    {kTIDAForeignKey},
                    ForeignKeyColumnCount,
                    "a physical foreign key whose column count differs from the key it refers to",
                    "Give the foreign key as many columns as the key it refers to, in the same order."},
                   {"join-without-expression",
                    38160,
                    {kTIDAComplexJoin},
                    JoinWithoutExpression,
                    "a physical complex join with no join expression",
                    "Write the join condition of the complex join, or delete the join."},
                   {"hierarchy-without-levels",
                    38190,
                    {kTIDAHierarchy},
                    HierarchyWithoutLevels,
                    "a physical (cube) hierarchy with no levels",
                    "Add the hierarchy's levels, or delete the hierarchy."},
                   {"physical-level-without-key",
                    38194,
                    {kTIDAPhysicalLevel},
                    PhysicalLevelWithoutKey,
                    "a physical level with no key column",
                    "Give the level a key column."},
                   {"init-block-without-data-source",
                    39048,
                    {kTIDAInitBlock},
                    InitBlockWithoutDataSource,
                    "an initialization block with no initialization string",
                    "Give the initialization block the query that sets its variables, or delete the block."},
                   {"variable-initializer-broken",
                    39053,
                    {kTIDARpVariable},
                    VariableWithoutInitializer,
                    "a variable whose initializer is empty, names a deleted object or does not render",
                    "Give the variable an initializer that names existing objects and can be written as logical SQL."},
               });
}

}  // namespace checks_detail
