#include "objectmodel/ObjectParent.h"

#include <algorithm>

#include "TypeTable.h"
#include "Utility/IdentifierQuoting.h"
#include "objectmodel/RpGateway.h"

Ref<ARpObject> GetObjectParent(const Ref<ARpObject>& obj) {
  ARpObject* p = obj.Get();
  return p ? p->GetParentObject() : Ref<ARpObject>();
}

bool CanHaveParent(TypeID typeID) {
  const RpTypeInfo* info = FindTypeInfo(typeID);
  return info && !info->m_parentTypes.empty();
}

const TypeIDVector& GetParentTypeIDs(TypeID typeID) {
  static const TypeIDVector kNone;
  const RpTypeInfo* info = FindTypeInfo(typeID);
  return info ? info->m_parentTypes : kNone;
}

void FindParentTypeIDs(const TypeIDVector& childTypeIDs, TypeIDVector& parentTypeIDs) {
  // What the caller's vector held before is left alone: only what this call
  // appends is kept free of repeats.
  const auto first = static_cast<std::ptrdiff_t>(parentTypeIDs.size());
  for (TypeID child : childTypeIDs) {
    for (TypeID parent : GetParentTypeIDs(child)) {
      if (std::find(parentTypeIDs.begin() + first, parentTypeIDs.end(), parent) == parentTypeIDs.end()) {
        parentTypeIDs.push_back(parent);
      }
    }
  }
}

void GetChildrenOfType(ARpGateway* pRp, const Ref<ARpObject>& parent, RpObjectVector& children, TypeID typeID) {
  if (!pRp) return;
  if (parent.GetID().IsNull()) {
    VoidIDVector ids;
    pRp->GetObjectIDsOfType(typeID, ids);
    for (const VoidID& id : ids) {
      Ref<ARpObject> obj = pRp->GetObject(id);
      if (!obj.IsNull() && obj->GetParentPointer() == nullptr) children.push_back(obj);
    }
    return;
  }
  ARpObject* p = parent.Get();
  if (!p) return;
  for (ARpObject* c : p->GetChildPointers()) {
    if (c->GetTypeID() == typeID) children.push_back(Ref<ARpObject>(c));
  }
}

const TypeIDVector& AllCatalogueTypeIDs() {
  static const TypeIDVector ids = [] {
    TypeIDVector v;
    for (const RpTypeInfo& row : AllTypeInfos()) v.push_back(row.m_typeID);
    return v;
  }();
  return ids;
}

namespace {
bool IsInternalType(TypeID t) {
  const RpTypeInfo* info = FindTypeInfo(t);
  return info && info->m_use != RpTypeUse::kShown;
}
}  // namespace

namespace TypesOfType {
void FillDisplayTypes(TypeIDVector& arrayTypes) {
  arrayTypes.clear();
  for (TypeID t : AllCatalogueTypeIDs()) {
    if (!IsInternalType(t)) arrayTypes.push_back(t);
  }
}

bool IsCompareableType(TypeID typeID) {
  const RpTypeInfo* info = FindTypeInfo(typeID);
  return info && info->m_use != RpTypeUse::kInternal;
}
}  // namespace TypesOfType

namespace RpObject {

int AccordionDepth(TypeID objTypeID, TypeID parentTypeID) {
  switch (objTypeID) {
    case kTIDATable:
    case kTIDACubeTable:
      if (parentTypeID == kTIDADatabase) return 2;
      if (parentTypeID == kTIDACatalog) return 1;
      return 0;
    case kTIDASchema:
      return parentTypeID == kTIDADatabase ? 1 : 0;
    case kTIDAEntityFolder:
      return parentTypeID == kTIDACatalogFolder ? 1 : 0;
    default:
      return 0;
  }
}

void AddEmptyAccordionNames(TypeID objTypeID, const Ref<ARpObject>& parent, QualifiedName& qualifiedName) {
  ARpObject* p = parent.Get();
  if (!p) return;
  for (int i = AccordionDepth(objTypeID, p->GetTypeID()); i > 0; --i) qualifiedName.emplace_back();
}

void GenerateQualifiedNameSegments(const Ref<ARpObject>& obj, QualifiedName& segments) {
  segments.clear();
  const ARpObject* cur = obj.Get();
  if (!cur) return;
  QualifiedName scratch;
  scratch.reserve(5);
  scratch.push_back(cur->GetName());
  for (const ARpObject* parent = cur->GetParentPointer(); parent; parent = parent->GetParentPointer()) {
    for (int i = AccordionDepth(cur->GetTypeID(), parent->GetTypeID()); i > 0; --i) scratch.emplace_back();
    scratch.push_back(parent->GetName());
    cur = parent;
  }
  segments.assign(scratch.rbegin(), scratch.rend());
}

VXString MakeQuotedEmptyFirstAndLastNames(const VXString& text) {
  // An empty text is one empty segment, both first and last.
  if (text.empty()) return U"\"\"";
  VXString out;
  out.reserve(text.size() + 4);
  if (text.front() == U'.') out += U"\"\"";
  out += text;
  if (text.back() == U'.') out += U"\"\"";
  return out;
}

VXString GenerateQualifiedName(const Ref<ARpObject>& obj) {
  QualifiedName segments;
  GenerateQualifiedNameSegments(obj, segments);
  if (segments.empty()) return VXString();
  VXString text;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i) text.push_back(U'.');
    AppendQuotedIdentifier(text, segments[i], QuotingRules::kNameSegment);
  }
  return MakeQuotedEmptyFirstAndLastNames(text);
}

}  // namespace RpObject
