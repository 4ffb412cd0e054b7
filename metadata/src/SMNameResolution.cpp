// A query name resolved for a person: the lookups of SMLookupAlgorithms.cpp
// and SMLookupColumns.cpp with the suggestions of SMLookupSuggestions.cpp.
#include "Metadata/SMNameResolution.h"

#include <utility>

#include "Metadata/SMUtil.h"

NameResolution ResolveTableName(ARpGateway* pRp, const QualifiedName& name, ExprType layer,
                                bool bProjectInaccessibleAsNull) {
  NameResolution r;
  VoidIDSet tables;
  r.code = NamedInterfaceTypeCondition::LookupFolderTree(name, r.pairs, pRp, layer, tables, r.catalogFolderID,
                                                         bProjectInaccessibleAsNull, false, r.candidates);
  r.bResolved = r.code == NamedInterfaceTypeCondition::kOK;
  if (r.code == NamedInterfaceTypeCondition::kNonexistentTable) {
    NamedInterfaceTypeCondition::SuggestTableNames(pRp, name, layer, r.suggestions);
  }
  return r;
}

NameResolution ResolveColumnName(ARpGateway* pRp, const QualifiedName& name, ExprType layer,
                                 bool bProjectInaccessibleAsNull) {
  NameResolution r;
  r.bColumn = true;
  VoidIDVector columns;
  VoidIDSet tables;
  NamedInterfaceTypeCondition::LookupFullyQualifiedColumn(name, columns, VoidID::NullID, pRp, layer, tables,
                                                          bProjectInaccessibleAsNull, r.bInaccessibleColumns);
  for (const VoidID& id : columns) {
    QualifiedName q;
    r.pairs.emplace_back(MetadataUtil::GenerateQualifiedName(pRp->GetObject(id), q), id);
  }
  r.bResolved = !columns.empty();
  if (r.bResolved || r.bInaccessibleColumns || name.size() < 2) return r;
  const QualifiedName tableName(name.begin(), name.end() - 1);
  VoidIDVector found;
  VoidID area;
  VoidIDSet ignored;
  NamedInterfaceTypeCondition::LookupFolder(tableName, found, pRp, layer, ignored, area, bProjectInaccessibleAsNull);
  if (found.empty()) {
    std::vector<QualifiedName> near;
    NamedInterfaceTypeCondition::SuggestTableNames(pRp, tableName, layer, near);
    for (QualifiedName& q : near) {
      q.push_back(name.back());
      r.suggestions.push_back(std::move(q));
    }
    return r;
  }
  VXStringVector near;
  NamedInterfaceTypeCondition::SuggestColumnNames(pRp, found.front(), name.back(), layer, near);
  for (const VXString& column : near) {
    QualifiedName q = tableName;
    q.push_back(column);
    r.suggestions.push_back(std::move(q));
  }
  return r;
}

LookupOutcomeText DescribeLookupOutcome(NamedInterfaceTypeCondition::LookupFolderTreeRetCode code) {
  switch (code) {
    case NamedInterfaceTypeCondition::kOK:
      return {"kOK", "exactly one table found"};
    case NamedInterfaceTypeCondition::kUnresovableTable:
      return {"kUnresovableTable", "no default subject area to search"};
    case NamedInterfaceTypeCondition::kAmbiguousTable:
      return {"kAmbiguousTable", "more than one table bears the name"};
    case NamedInterfaceTypeCondition::kAmbiguousCatalog:
      return {"kAmbiguousCatalog", "more than one subject area bears the name"};
    case NamedInterfaceTypeCondition::kInaccessibleTable:
      return {"kInaccessibleTable", "tables bear the name but the user may read none of them"};
    case NamedInterfaceTypeCondition::kNonexistentTable:
      return {"kNonexistentTable", "no table bears the name"};
  }
  return {"?", "unknown outcome"};
}
