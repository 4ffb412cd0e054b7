// One name of a query resolved as the server resolves it, with everything a
// person needs to act on the answer: the outcome code and what it means, the
// pairs found, the candidates of an ambiguity and, on a miss, near names the
// current user may read.
//
//   NameResolution r = ResolveTableName(pRp, QualifiedNameFromText(U"Sales.Orders"), kSME_Logical, false);
//   // r.code == kOK, r.pairs: ("Sales Analysis".."Orders", 4008:1)
//   NameResolution c = ResolveColumnName(pRp, {U"Orders", U"Revnue"}, kSME_Logical, false);
//   // c.bResolved false, c.suggestions: Orders.Revenue
//
// The current user's read denials apply unless bProjectInaccessibleAsNull
// is set (as a query that shows what the user may not read as nulls);
// suggestions are always drawn from readable objects only. Nothing throws.
#pragma once

#include <vector>

#include "Metadata/SMLookupCondition.h"

struct NameResolution {
  using RetCode = NamedInterfaceTypeCondition::LookupFolderTreeRetCode;

  bool bColumn = false;    // a table.column name
  bool bResolved = false;  // tables: code kOK; columns: at least one column found
  // Tables: the lookup's outcome, the pairs (qualified name, id) the table
  // answers to (a subject area's tables for a one-part name that names one,
  // with catalogFolderID set), and on ambiguity the objects that made it.
  RetCode code = NamedInterfaceTypeCondition::kNonexistentTable;
  QualifiedNameIDPairVector pairs;  // columns: the columns found
  QualifiedNameIDPairVector candidates;
  VoidID catalogFolderID;
  // Columns: matching columns were left out because the user may not read
  // them.
  bool bInaccessibleColumns = false;
  // On a miss: up to five names near the one given, best first.
  std::vector<QualifiedName> suggestions;
};

// A table name of the layer (LookupFolderTree), with suggestions on
// kNonexistentTable.
NameResolution ResolveTableName(ARpGateway* pRp, const QualifiedName& name, ExprType layer,
                                bool bProjectInaccessibleAsNull);
// A table.column name (LookupFullyQualifiedColumn). On a miss: near table
// names (with the column name after them) when the table does not resolve,
// else near column names in it; nothing when readable columns were only
// hidden by security or the name has fewer than two segments.
NameResolution ResolveColumnName(ARpGateway* pRp, const QualifiedName& name, ExprType layer,
                                 bool bProjectInaccessibleAsNull);

// The enumerator's name ("kAmbiguousTable") and a short meaning ("more than
// one table bears the name"); "?" and "unknown outcome" for other values.
struct LookupOutcomeText {
  const char* name;
  const char* meaning;
};
LookupOutcomeText DescribeLookupOutcome(NamedInterfaceTypeCondition::LookupFolderTreeRetCode code);
