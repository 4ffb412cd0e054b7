#include "objectmodel/Interfaces.h"

#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/RpGateway.h"

BinaryRelIter<AAttribute> AEntity::GetAttributes() const {
  if (GetTypeID() == kTIDALevel) return RelatedOf<AAttribute>(RpRel::kLevelAttributes, 0, 1);
  return ChildrenOf<AAttribute>({kTIDAAttribute});
}

Ref<ADimension> ALevel::GetDimension() const {
  for (ARpObject* p = GetParentPointer(); p; p = p->GetParentPointer()) {
    if (p->GetTypeID() == kTIDADimension) return Ref<ADimension>(Ref<ARpObject>(p));
    if (p->GetTypeID() != kTIDALevel) break;
  }
  return Ref<ADimension>();
}

void ALevel::SetDimensionToCache(const Ref<ADimension>& dimension) {
  if (dimension.IsNull()) {
    ClearProperty(RpProp::kDimensionToCache);
  } else {
    SetProperty(RpProp::kDimensionToCache, dimension.GetID());
  }
}

void ALevel::AddAttribute(const Ref<AAttribute>& attr) {
  if (!attr.IsNull()) GetGateway()->InsertTuple(RpRel::kLevelAttributes, {GetID(), attr.GetID()});
}

void AKey::AddAttribute(const Ref<AAttribute>& attr) {
  if (!attr.IsNull()) GetGateway()->InsertTuple(RpRel::kKeyColumn, {attr.GetID(), GetID()});
}

Multiplicity ARole::GetMultiplicity() const {
  const RpPropValue* v = FindProperty(RpProp::kMultiplicity);
  if (v) {
    if (const auto* m = std::get_if<Multiplicity>(v)) return *m;
  }
  return Multiplicity{};
}

void ALogicalForeignKey::SetReferencedKey(const Ref<AKey>& key) {
  ARpGateway* pRp = GetGateway();
  std::vector<std::uint32_t> handles;
  pRp->FindTuples(GetID(), RpRel::kLogicalForeignKeyReference, 1u << 2, handles);
  for (std::uint32_t h : handles) pRp->EraseTuple(h);
  Ref<ARpObject> table = GetParentObject();
  if (key.IsNull() || table.IsNull()) return;
  pRp->InsertTuple(RpRel::kLogicalForeignKeyReference, {table.GetID(), key.GetID(), GetID()});
}

ALogicalTableSource::SourceDefinition ALogicalTableSource::GetSourceDefinition() const {
  const RpPropValue* v = FindProperty(RpProp::kSourceDefinition);
  if (v) {
    if (const auto* p = std::get_if<std::shared_ptr<const RpSourceDefinition>>(v)) {
      if (*p) return **p;
    }
  }
  return SourceDefinition{};
}

void ALogicalTableSource::SetSourceDefinition(const SourceDefinition& defn) {
  SetProperty(RpProp::kSourceDefinition, std::make_shared<const RpSourceDefinition>(defn));
}

BinaryRelIter<ALevel> ADimension::GetAllLevels() const {
  VoidIDVector ids;
  // Depth first from the root levels, parents before their children.
  using Kid = ChildPointers::Iterator;
  const ChildPointers top = GetChildPointers();
  std::vector<std::pair<Kid, Kid>> walk{{top.begin(), top.end()}};
  while (!walk.empty()) {
    auto& [next, end] = walk.back();
    while (next != end && (*next)->GetTypeID() != kTIDALevel) ++next;
    if (next == end) {
      walk.pop_back();
      continue;
    }
    const ARpObject* child = *next++;
    ids.push_back(child->GetID());
    const ChildPointers kids = child->GetChildPointers();
    walk.emplace_back(kids.begin(), kids.end());
  }
  return BinaryRelIter<ALevel>(VoidRelIter::FromIDs(GetGateway(), std::move(ids)));
}

VXString ADatabase::GetDatabaseProperty(const VXString& name, const VXString& application) const {
  // Stored as (application, name, value) triples.
  const VXStringVector props = GetStrings(RpProp::kDatabaseProperties);
  VXString fallback;
  bool bFallback = false;
  for (std::size_t i = 0; i + 2 < props.size(); i += 3) {
    if (!VXCaseFold::Equal(props[i + 1], name)) continue;
    if (VXCaseFold::Equal(props[i], application)) return props[i + 2];
    if (props[i].empty() && !bFallback) {
      fallback = props[i + 2];
      bFallback = true;
    }
  }
  return fallback;
}

void ADatabase::SetDatabaseProperty(const VXString& name, const VXString& application, const VXString& value) {
  VXStringVector props = GetStrings(RpProp::kDatabaseProperties);
  for (std::size_t i = 0; i + 2 < props.size(); i += 3) {
    if (VXCaseFold::Equal(props[i], application) && VXCaseFold::Equal(props[i + 1], name)) {
      props[i + 2] = value;
      SetProperty(RpProp::kDatabaseProperties, props);
      return;
    }
  }
  props.insert(props.end(), {application, name, value});
  SetProperty(RpProp::kDatabaseProperties, props);
}

Ref<ADatabase> ATable::GetDatabase() const {
  for (ARpObject* p = GetParentPointer(); p; p = p->GetParentPointer()) {
    if (p->GetTypeID() == kTIDADatabase) return Ref<ADatabase>(Ref<ARpObject>(p));
  }
  return Ref<ADatabase>();
}

Ref<ADatabase> AColumn::GetDatabase() const {
  for (ARpObject* p = GetParentPointer(); p; p = p->GetParentPointer()) {
    if (p->GetTypeID() == kTIDADatabase) return Ref<ADatabase>(Ref<ARpObject>(p));
  }
  return Ref<ADatabase>();
}

int AColumn::GetTargetType() const {
  Ref<ADatabase> db = GetDatabase();
  return db.IsNull() ? 0 : db->GetTargetType();
}

void ATableKey::AddColumn(const Ref<AColumn>& column) {
  if (!column.IsNull()) GetGateway()->InsertTuple(RpRel::kKeyColumn, {column.GetID(), GetID()});
}

void AForeignKey::SetTableKey(const Ref<ATableKey>& key) {
  ARpGateway* pRp = GetGateway();
  std::vector<std::uint32_t> handles;
  pRp->FindTuples(GetID(), RpRel::kForeignKeyReference, 1u << 2, handles);
  for (std::uint32_t h : handles) pRp->EraseTuple(h);
  Ref<ARpObject> table = GetParentObject();
  if (key.IsNull() || table.IsNull()) return;
  pRp->InsertTuple(RpRel::kForeignKeyReference, {table.GetID(), key.GetID(), GetID()});
}

void AForeignKey::AddComponent(const Ref<AColumn>& column) {
  if (!column.IsNull()) GetGateway()->InsertTuple(RpRel::kForeignKeyColumns, {GetID(), column.GetID()});
}

void AComplexJoin::SetTables(const Ref<ATable>& left, const Ref<ATable>& right) {
  ARpGateway* pRp = GetGateway();
  std::vector<std::uint32_t> handles;
  pRp->FindTuples(GetID(), RpRel::kComplexJoin, 1u << 2, handles);
  for (std::uint32_t h : handles) pRp->EraseTuple(h);
  if (left.IsNull() || right.IsNull()) return;
  pRp->InsertTuple(RpRel::kComplexJoin, {left.GetID(), right.GetID(), GetID()});
}

void APhysicalLevel::SetLevelKey(const Ref<AColumn>& column) {
  if (column.IsNull()) {
    ClearProperty(RpProp::kLevelKey);
  } else {
    SetProperty(RpProp::kLevelKey, column.GetID());
  }
}

void AAWColumn::AddAWLink(const Ref<ARpObject>& hierarchyOrLevel) {
  if (!hierarchyOrLevel.IsNull()) {
    GetGateway()->InsertTuple(RpRel::kAWColumnLink, {GetID(), hierarchyOrLevel.GetID()});
  }
}

BinaryRelIter<AFolderAttr> AFolder::GetFolderAttrs() const {
  if (GetTypeID() == kTIDAPresentationLevel) return RelatedOf<AFolderAttr>(RpRel::kPresentationLevelColumns, 0, 1);
  return ChildrenOf<AFolderAttr>({kTIDAFolderAttr});
}

void ACatalogFolder::SetSubjectArea(const Ref<ASubjectArea>& businessModel) {
  if (businessModel.IsNull()) {
    ClearProperty(RpProp::kSubjectArea);
  } else {
    SetProperty(RpProp::kSubjectArea, businessModel.GetID());
  }
}

Ref<ACatalogFolder> AEntityFolder::GetCatalogFolder() const {
  for (ARpObject* p = GetParentPointer(); p; p = p->GetParentPointer()) {
    if (p->GetTypeID() == kTIDACatalogFolder) return Ref<ACatalogFolder>(Ref<ARpObject>(p));
  }
  return Ref<ACatalogFolder>();
}

BinaryRelIter<AFolderAttr> AFolderAttr::GetFolderAttrsFromColumn(const Ref<AAttribute>& logicalColumn) {
  if (logicalColumn.IsNull()) return BinaryRelIter<AFolderAttr>();
  return BinaryRelIter<AFolderAttr>(
      VoidRelIter(logicalColumn.GetGateway(), logicalColumn.GetID(), RpRel::kLogicalToPresentationColumn, {0}, 1));
}

void APresentationLevel::AddFolderAttr(const Ref<AFolderAttr>& column) {
  if (!column.IsNull()) GetGateway()->InsertTuple(RpRel::kPresentationLevelColumns, {GetID(), column.GetID()});
}
