// Join descriptions: the tables of a join graph, fully qualified physical
// table names, the condition of one foreign key or complex join, and the
// complex join between two tables.
#include <vector>

#include "ListQuerySpec/JoinGraph.h"
#include "Metadata/SMLookupCondition.h"  // NameIDPair
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "SMUtilQueryText.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "objectmodel/Relation.h"

namespace {

// An object by id; a null handle without a gateway.
Ref<ARpObject> Lookup(ARpGateway* pRp, const VoidID& id) { return pRp ? pRp->GetObject(id) : Ref<ARpObject>(); }

// The name/id pairs of the related columns that resolve, in relation order.
std::vector<NameIDPair> ColumnPairs(BinaryRelIter<AColumn> it) {
  std::vector<NameIDPair> pairs;
  for (it.ToBegin(); !it.IsEnd(); ++it) {
    Ref<AColumn> column = *it;
    if (!column.IsNull()) pairs.emplace_back(column->GetName(), column.GetID());
  }
  return pairs;
}

// "table"."column" with the table fully qualified.
void AppendQualifiedColumn(VXString& out, const Ref<AColumn>& column) {
  query_text::AppendFullyQualifiedTableName(out, Ref<ARpObject>(column->GetTable()));
  out += U'.';
  AppendQuotedIdentifier(out, column->GetName(), QuotingRules::kAsWritten);
}

void AppendForeignKeyCondition(const Ref<AForeignKey>& fk, VXString& out, ARpGateway* pRp) {
  Ref<ATableKey> key = fk->GetTableKey();
  if (key.IsNull()) return;
  const std::vector<NameIDPair> keyColumns = ColumnPairs(key->GetColumns());
  const std::vector<NameIDPair> fkColumns = ColumnPairs(fk->GetComponents());
  bool bFirst = true;
  for (const NameIDPair& keyColumn : keyColumns) {
    // The first foreign-key column of the same name (ignoring case) pairs
    // with the key column; later ones of that name are not used.
    const NameIDPair* match = nullptr;
    for (const NameIDPair& fkColumn : fkColumns) {
      if (BaseStringUtil::IsCaseInsensitiveMatch(keyColumn.m_name, fkColumn.m_name)) {
        match = &fkColumn;
        break;
      }
    }
    if (!match) continue;
    Ref<AColumn> left(Lookup(pRp, keyColumn.m_id));
    Ref<AColumn> right(Lookup(pRp, match->m_id));
    if (left.IsNull() || right.IsNull()) continue;
    if (!bFirst) out += U" AND";
    bFirst = false;
    out += U' ';
    AppendQualifiedColumn(out, left);
    out += U'=';
    AppendQualifiedColumn(out, right);
  }
}

}  // namespace

void query_text::AppendJoinGraphTables(VXString& out, const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified,
                                       bool bTabs) {
  bool bFirst = true;
  for (const GraphNode& node : joinSpec) {
    if (!bFirst) {
      out += U",\n";
      if (bTabs) out += U"\t\t";
    }
    bFirst = false;
    VoidID id;
    node.GetNodeID(id);
    Ref<ARpObject> table = Lookup(pRp, id);
    if (table.IsNull()) {
      out += U"Missing RP object";
    } else if (bFullyQualified) {
      AppendFullyQualifiedTableName(out, table);
    } else {
      out += table->GetName();
    }
  }
}

VXString MetadataUtil::ToString(const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified, bool bTabs) {
  VXString out;
  query_text::AppendJoinGraphTables(out, joinSpec, pRp, bFullyQualified, bTabs);
  return out;
}

VXString MetadataUtil::GetFullyQualifiedTableName(const Ref<ARpObject>& rpObj) {
  VXString out;
  query_text::AppendFullyQualifiedTableName(out, rpObj);
  return out;
}

void query_text::AppendFullyQualifiedTableName(VXString& out, const Ref<ARpObject>& rpObj) {
  // Names as they stand between quotes: the catalog, schema and table names
  // of the database are written the way the database spells them.
  Ref<ATable> table(rpObj);
  if (table.IsNull()) {
    AppendQuotedIdentifier(out, rpObj->GetName(), QuotingRules::kAsWritten);
    return;
  }
  Ref<APhysicalDataFolder> container = table->GetContainer();
  Ref<ASchema> schema(container);
  if (!schema.IsNull()) {
    Ref<ACatalog> catalog(schema->GetContainer());
    if (!catalog.IsNull()) {
      AppendQuotedIdentifier(out, catalog->GetName(), QuotingRules::kAsWritten);
      out += U'.';
    }
    AppendQuotedIdentifier(out, schema->GetName(), QuotingRules::kAsWritten);
    out += U'.';
  } else if (Ref<ACatalog> catalog(container); !catalog.IsNull()) {
    AppendQuotedIdentifier(out, catalog->GetName(), QuotingRules::kAsWritten);
    out += U'.';
  }
  AppendQuotedIdentifier(out, table->GetName(), QuotingRules::kAsWritten);
}

void MetadataUtil::ChangeForeignKeyOrJoinIDToString(const VoidID& id, VXString& out, ARpGateway* pRp,
                                                    bool bFullyQualified) {
  Ref<ARpObject> obj = Lookup(pRp, id);
  if (obj.IsNull()) return;
  if (Ref<AForeignKey> fk(obj); !fk.IsNull()) {
    AppendForeignKeyCondition(fk, out, pRp);
  } else if (Ref<AComplexJoin> join(obj); !join.IsNull()) {
    out += U' ';
    ToPrettyStringVisitor::AppendTo(out, join->GetJoinExpr(), pRp,
                                    {.mandatoryDoubleQuotes = true, .fullyQualified = bFullyQualified});
  }
}

Ref<ARpObject> MetadataUtil::FindComplexJoinBetweenTables(const Ref<ARpObject>& rpLeftTable,
                                                          const Ref<ARpObject>& rpRightTable) {
  Ref<ATable> left(rpLeftTable);
  Ref<ATable> right(rpRightTable);
  if (left.IsNull() || right.IsNull()) return Ref<ARpObject>();
  const BinaryRelIter<AComplexJoin> leftJoins = left->GetComplexJoinLinks();
  BinaryRelIter<AComplexJoin> it = right->GetComplexJoinLinks();
  for (it.ToBegin(); !it.IsEnd(); ++it) {
    // The left table's view of the relation: (left table, join).
    if (leftJoins.IsExistingRelationship({left.GetID(), it.GetTargetID()})) return it.GetObjRef();
  }
  return Ref<ARpObject>();
}
