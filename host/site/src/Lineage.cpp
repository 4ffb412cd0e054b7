#include "Lineage.h"

#include <deque>
#include <unordered_set>

#include "Metadata/SMUtil.h"
#include "Related.h"

namespace smutil_site {

bool ColumnLineage::ReachesPhysical() const {
  for (const LogicalStep& step : logical) {
    for (const SourceStep& s : step.sources) {
      if (!s.physicalColumns.empty()) return true;
    }
  }
  return false;
}

Ref<ARpObject> LogicalColumnOf(const Ref<ARpObject>& column) {
  if (column.IsNull()) return Ref<ARpObject>();
  if (column->GetTypeID() == kTIDAAttribute) return column;
  if (column->GetTypeID() == kTIDAFolderAttr) return Ref<ARpObject>(Ref<AFolderAttr>(column)->GetLogicalColumn());
  return Ref<ARpObject>();
}

namespace {

LogicalStep StepOf(const Ref<AAttribute>& column) {
  LogicalStep step;
  step.logicalColumn = Ref<ARpObject>(column);
  ARpGateway* rp = column->GetGateway();
  const Ref<ALogicalTable> table = column->GetLogicalTable();
  if (!table.IsNull()) {
    for (const Ref<ALogicalTableSource>& source : All(table->GetSources())) {
      Expr physical;
      if (!MetadataUtil::IsLogicalColumnMapped(step.logicalColumn, source, physical)) continue;
      SourceStep s;
      s.source = Ref<ARpObject>(source);
      s.physical = physical;
      physical.GetObjectsInExpr(rp, s.physicalColumns, true);
      MetadataUtil::GetMostDetailedTables(source, s.detailedTables);
      step.sources.push_back(std::move(s));
    }
  }
  if (column->IsDerivedAttribute()) {
    RpObjectVector named;
    column->GetExpr().GetObjectsInExpr(rp, named, true);
    for (const Ref<ARpObject>& obj : named) {
      if (!obj.IsNull() && obj->GetTypeID() == kTIDAAttribute) step.derivedFrom.push_back(obj);
    }
  }
  return step;
}

}  // namespace

ColumnLineage LineageOf(const Ref<ARpObject>& column) {
  ColumnLineage lineage;
  const Ref<ARpObject> logical = LogicalColumnOf(column);
  if (logical.IsNull()) return lineage;
  for (const Ref<AFolderAttr>& shown : All(Ref<AAttribute>(logical)->GetPresentationColumns())) {
    lineage.presentationColumns.push_back(Ref<ARpObject>(shown));
  }
  // Breadth first through derived columns; a formula that names itself (or
  // a cycle of them) is walked once.
  std::unordered_set<VoidID, VoidIDHash> seen{logical.GetID()};
  std::deque<Ref<ARpObject>> pending{logical};
  while (!pending.empty() && lineage.logical.size() < kMaxLogicalSteps) {
    const Ref<ARpObject> next = pending.front();
    pending.pop_front();
    lineage.logical.push_back(StepOf(Ref<AAttribute>(next)));
    for (const Ref<ARpObject>& from : lineage.logical.back().derivedFrom) {
      if (seen.insert(from.GetID()).second) pending.push_back(from);
    }
  }
  return lineage;
}

}  // namespace smutil_site
