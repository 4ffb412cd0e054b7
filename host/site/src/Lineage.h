// Where a column's values come from: presentation columns -> logical column
// -> logical table sources -> physical columns, through each source's
// logical-to-physical mapping. A derived logical column goes on through the
// logical columns of its formula.
#pragma once

#include <set>
#include <vector>

#include "Expr/Expr.h"
#include "objectmodel/ObjectModel.h"

namespace smutil_site {

// One source that maps a logical column.
struct SourceStep {
  Ref<ARpObject> source;
  Expr physical;                            // the mapped physical expression
  RpObjectVector physicalColumns;           // the objects it names, in order, once each
  std::set<Ref<ARpObject>> detailedTables;  // the source's most detailed tables
};

struct LogicalStep {
  Ref<ARpObject> logicalColumn;
  std::vector<SourceStep> sources;
  RpObjectVector derivedFrom;  // logical columns of a derived column's formula
};

struct ColumnLineage {
  RpObjectVector presentationColumns;  // those showing the first logical column
  // The column itself first, then the columns it is derived from, breadth
  // first, each once, at most kMaxLogicalSteps of them.
  std::vector<LogicalStep> logical;
  // Whether any physical column is reached.
  bool ReachesPhysical() const;
};

inline constexpr std::size_t kMaxLogicalSteps = 12;

// The lineage of a logical column, or of the logical column a presentation
// column shows; empty for any other object.
ColumnLineage LineageOf(const Ref<ARpObject>& column);
// The logical column behind a presentation or logical column (null if none).
Ref<ARpObject> LogicalColumnOf(const Ref<ARpObject>& column);

}  // namespace smutil_site
