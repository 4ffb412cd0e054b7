#include "objectmodel/ObjectParent.h"

#include <algorithm>

#include "TypeTable.h"
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
// Types kept from users' lists: mapping records, privileges and the helper
// objects of relationships and measures.
bool IsInternalType(TypeID t) {
  switch (t) {
    case kTIDAAttributeDefn:
    case kTIDAEntityDefn:
    case kTIDARelationshipDefn:
    case kTIDARole:
    case kTIDARelationship:
    case kTIDAAggrRule:
    case kTIDALevelToLevel:
    case kTIDALogicalSourceFolder:
    case kTIDAMeasureDefn:
    case kTIDATypePrivilege:
    case kTIDAQueryPrivilege:
    case kTIDAPrivilegePackage:
    case kTIDAObjectPrivilege:
    case kTIDAUserDatabaseSignon:
    case kTIDAOverrideAggrRule:
    case kTIDALicense:
    case kTIDAQueryObject:
    case kTIDAInstance:
    case kTIDAMember:
    case kTIDAMeasure:
      return true;
    default:
      return false;
  }
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
  if (!FindTypeInfo(typeID)) return false;
  if (!IsInternalType(typeID)) return true;
  // Privileges are edited by users and compared with the roles they guard.
  return typeID == kTIDAObjectPrivilege || typeID == kTIDATypePrivilege || typeID == kTIDAQueryPrivilege;
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

VXString QuoteSegment(const VXString& name) {
  if (name.empty()) return VXString();
  VXString out;
  out.reserve(name.size() + 2);
  out.push_back(U'"');
  for (char32_t c : name) {
    if (c == 0) continue;
    if (c == U'"') out.push_back(U'"');
    out.push_back(c);
  }
  out.push_back(U'"');
  return out;
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
    text += QuoteSegment(segments[i]);
  }
  return MakeQuotedEmptyFirstAndLastNames(text);
}

}  // namespace RpObject
