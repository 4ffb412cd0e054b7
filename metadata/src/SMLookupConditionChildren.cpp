// GetUDMLChildren: what a search (and a UDML export) visits below a container,
// by the container's type, through the object model's named relations.
#include <array>

#include "Metadata/SMLookupCondition.h"
#include "SMLookupConditionShared.h"

namespace {

// Appends the children one relation of a container gives.
using Step = void (*)(const Ref<ARpObject>& parent, RpObjectVector& children);

// Every object of the relation that Getter gives, in relation order.
template <class T, auto Getter>
void All(const Ref<ARpObject>& parent, RpObjectVector& children) {
  const Ref<T> typed(parent);
  if (typed.IsNull()) return;
  auto it = ((*typed).*Getter)();
  for (it.ToBegin(); !it.IsEnd(); ++it) AddObject(Ref<ARpObject>(*it), children);
}

// The one object that Getter gives, when there is one.
template <class T, auto Getter>
void One(const Ref<ARpObject>& parent, RpObjectVector& children) {
  const Ref<T> typed(parent);
  if (!typed.IsNull()) AddObject(Ref<ARpObject>(((*typed).*Getter)()), children);
}

struct ChildrenRow {
  TypeID type;
  std::array<Step, 5> steps;  // in order; unused ones null
};

// The relations visited below each type of container, in the order visited.
// clang-format off
const ChildrenRow kChildren[] = {
    {kTIDASubjectArea,
     {All<ASubjectArea, &ASubjectArea::GetDisplayFolders>,
      All<ASubjectArea, &ASubjectArea::GetLogicalTables>,
      All<ASubjectArea, &ASubjectArea::GetDimensions>}},
    {kTIDARelationship, {All<ARelationship, &ARelationship::GetRoles>}},
    {kTIDALevelToLevel, {All<ARelationship, &ARelationship::GetRoles>}},
    {kTIDAAttribute, {One<AAttribute, &AAttribute::GetMeasureDefn>}},
    {kTIDADimension, {All<ADimension, &ADimension::GetAllLevels>}},
    {kTIDALevel, {All<ALevel, &ALevel::GetKeys>, All<ALevel, &ALevel::GetRelativeSequenceNumbers>}},
    {kTIDALogicalTable,
     {All<ALogicalTable, &ALogicalTable::GetColumns>,
      All<ALogicalTable, &ALogicalTable::GetKeys>,
      All<ALogicalTable, &ALogicalTable::GetForeignKeys>,
      One<ALogicalTable, &ALogicalTable::GetSourceFolder>,
      All<ALogicalTable, &ALogicalTable::GetSources>}},
    {kTIDAMeasureDefn,
     {All<AMeasureDefn, &AMeasureDefn::GetAggrRules>,
      All<AMeasureDefn, &AMeasureDefn::GetOverrideAggrRules>}},
    {kTIDATable,
     {All<ATable, &ATable::GetColumns>,
      All<ATable, &ATable::GetTableKeys>,
      All<ATable, &ATable::GetForeignKeys>}},
    {kTIDADatabase,
     {All<ADatabase, &ADatabase::GetTables>,
      All<ADatabase, &ADatabase::GetSubFolders>,
      All<ADatabase, &ADatabase::GetConnectionPools>,
      All<ADatabase, &ADatabase::GetDisplayFolders>}},
    {kTIDACatalog, {All<ACatalog, &ACatalog::GetSubFolders>, All<ACatalog, &ACatalog::GetTables>}},
    {kTIDASchema, {All<ASchema, &ASchema::GetTables>}},
    {kTIDASessionVariableBlock, {All<ASessionVariableBlock, &ASessionVariableBlock::GetAssociatedVariables>}},
    {kTIDACubeTable, {All<ACubeTable, &ACubeTable::GetHierarchies>, All<ACubeTable, &ACubeTable::GetDimensions>}},
    {kTIDAHierarchy, {All<AHierarchy, &AHierarchy::GetPhysicalLevels>}},
    // The tables of a physical display folder. (An analytic workspace, whose
    // number has been listed with this row, is no display folder and has no
    // tables: the row belongs to the display folder's own type.)
    {kTIDAPhysicalDisplayFolder, {All<APhysicalDisplayFolder, &APhysicalDisplayFolder::GetTables>}},
    {kTIDAAWDimension,
     {All<AAWDimension, &AAWDimension::GetColumns>,
      All<AAWDimension, &AAWDimension::GetHierarchies>}},
    {kTIDAAWCube, {All<AAWCube, &AAWCube::GetColumns>}},
    {kTIDAAWHierarchy, {All<AAWHierarchy, &AAWHierarchy::GetLevels>}},
    {kTIDACatalogFolder, {All<ACatalogFolder, &ACatalogFolder::GetSubFolders>}},
    {kTIDAEntityFolder,
     {All<AEntityFolder, &AEntityFolder::GetFolderAttrs>,
      All<AEntityFolder, &AEntityFolder::GetHierarchies>}},
    {kTIDAMktg_CustomerType,
     {All<AMktg_CustomerType, &AMktg_CustomerType::GetSamplingTables>,
      All<AMktg_CustomerType, &AMktg_CustomerType::GetSegmentationCatalogs>}},
    {kTIDAMktg_QualifiedItem, {All<AMktg_QualifiedItem, &AMktg_QualifiedItem::GetQualifyingKeys>}},
    {kTIDAPresentationHierarchy, {All<APresentationHierarchy, &APresentationHierarchy::GetLevels>}},
};
// clang-format on

}  // namespace

void GetUDMLChildren(const Ref<ARpObject>& parent, RpObjectVector& children) {
  const ARpObject* p = parent.Get();
  if (!p) return;
  const TypeID type = smlookup::TypeOf(*p);
  for (const ChildrenRow& row : kChildren) {
    if (row.type != type) continue;
    for (Step step : row.steps) {
      if (step) step(parent, children);
    }
    return;
  }
}
