// Object naming: an object's qualified name, finding an object again from
// one, matching written names (with former names), the names already taken
// among roots or children, and addressing the columns of a key by position.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "Metadata/SMUtil.h"
#include "SMQualifiedNameWalk.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/VXAssert.h"
#include "objectmodel/NamePathWalk.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/TypeIDs.h"

namespace {

// The interface type id, as the object's meta class gives it.
TypeID TypeOf(const Ref<ARpObject>& obj) {
  const AMetaClass* metaClass = obj->GetMetaClass();
  return metaClass ? metaClass->GetTypeID() : obj->GetTypeID();
}

// The object's name, then each of its former names.
void AppendNameAndAliases(const Ref<ARpObject>& obj, VXStringVector& names) {
  names.push_back(obj->GetName());
  VXStringVector aliases;
  obj->GetAliases(aliases);
  names.insert(names.end(), std::make_move_iterator(aliases.begin()), std::make_move_iterator(aliases.end()));
}

}  // namespace

VXString MetadataUtil::GenerateQualifiedName(const Ref<ARpObject>& obj) { return RpObject::GenerateQualifiedName(obj); }

QualifiedName& MetadataUtil::GenerateQualifiedName(const Ref<ARpObject>& obj, QualifiedName& objName) {
  return GenerateQualifiedName(obj, objName, QualifiedName());
}

QualifiedName& MetadataUtil::GenerateQualifiedName(const Ref<ARpObject>& obj, QualifiedName& objName,
                                                   const QualifiedName& parentName) {
  if (obj.IsNull()) {
    objName.clear();
    return objName;
  }
  if (!parentName.empty()) {
    // The caller already knows the container's segments; no accordion levels.
    objName = parentName;
    objName.push_back(obj->GetName());
    return objName;
  }
  // Built innermost first; most names are a handful of levels deep.
  QualifiedName scratch;
  scratch.reserve(5);
  smnames::ForEachSegmentInnermostFirst(*obj, [&](const VXString& segment) { scratch.push_back(segment); });
  // Turned around in place and handed over, rather than copied outermost
  // first into a list of its own.
  std::reverse(scratch.begin(), scratch.end());
  objName.swap(scratch);
  return objName;
}

Ref<ARpObject> MetadataUtil::GetParent(const Ref<ARpObject>& obj) { return GetObjectParent(obj); }

VXString MetadataUtil::GetName(const VoidID& measureDefnID, ARpGateway* pRp) {
  if (!pRp) return VXString();
  Ref<AMeasureDefn> measureDefn = pRp->GetObject(measureDefnID);
  if (measureDefn.IsNull()) VXAssert::handleLogicError("server/Metadata/Src/SMUtil.cpp", 3143, "");
  Ref<ARpObject> measure = measureDefn->GetContainerAttribute();
  return measure.IsNull() ? VXString() : measure->GetName();
}

ExprType MetadataUtil::GetLayerToQuery(ARpGateway* rpGateway) {
  if (!rpGateway) return kSME_Logical;  // no session, no override
  Heap<PropertyValue> value;
  const bool bSet = rpGateway->GetSessionVariableValue(
      std::make_pair(GlobalRpVariables::global_SessionBlockWildcard, VXString(U"SELECTPHYSICAL")), value);
  if (bSet && !value.IsNull() && value->GetKind() == PropertyValue::kString &&
      BaseStringUtil::BooleanFrom(value->StringFrom(), false)) {
    return kSME_Physical;
  }
  return kSME_Logical;
}

namespace {

// The lookup by name as the model defines it: every object of the type
// bearing the last name, in lookup order, its generated name compared whole.
Ref<ARpObject> ScanForQualifiedName(ARpGateway* pRp, TypeID interfaceTypeID, const QualifiedName& refQName) {
  VoidIDVector ids;
  pRp->LookupObjects(TypedObjectNameCondition(interfaceTypeID, refQName.back(), false), ids);
  QualifiedName candidate;
  for (const VoidID& id : ids) {
    Ref<ARpObject> obj = pRp->GetObject(id);
    if (obj.IsNull()) continue;
    MetadataUtil::GenerateQualifiedName(obj, candidate);
    MetadataUtil::StripQualifiedNameOfEmptyStrings(candidate);
    // Exact comparison: the name condition ignores case, the match does not.
    if (candidate == refQName) return obj;
  }
  return Ref<ARpObject>();
}

// The same answer found from the top down, one index probe per level. A
// column name stands in hundreds of tables, so the scan above generates
// hundreds of names; here each segment is looked up among the children of
// the objects that matched the segments before it. The objects the scan
// accepts are exactly those of the type whose own name is the last segment
// (the name condition is on the own name, which is never empty since the
// segments are not) and whose chain of parents, empty names left out, bears
// the leading segments: the parent chain is the one GenerateQualifiedName
// walks and accordion levels are empty. An object with an empty name is a
// level that drops out, so below it the same segment is looked for again.
// When more than one object matches, the scan's lookup order decides, and
// found is false.
Ref<ARpObject> FindFromTop(const ARpGateway& rp, TypeID interfaceTypeID, const QualifiedName& segments, bool& found) {
  // Kept per thread: a lookup is too quick to pay for two allocations.
  thread_local NamePathWalk::Scratch scratch;
  ARpObject* match = nullptr;
  found = false;
  const bool bOne = NamePathWalk::Walk(
      segments, rp.HasEmptyNamedObjects(), scratch,
      [&rp](const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) {
        rp.FindChildrenByExactName(parent, name, out);
      },
      [&](const ARpObject*, ARpObject* child) {
        if (child->GetTypeID() != interfaceTypeID) return true;
        if (match) return false;
        match = child;
        return true;
      });
  if (!bOne) return Ref<ARpObject>();
  found = true;
  return match ? Ref<ARpObject>(match) : Ref<ARpObject>();
}

}  // namespace

Ref<ARpObject> MetadataUtil::GetRpObjectFromQualifiedName(ARpGateway* pRpGateway, TypeID interfaceTypeID,
                                                          QualifiedName refQName) {
  StripQualifiedNameOfEmptyStrings(refQName);
  // A name of nothing but empty levels names no object.
  if (!pRpGateway || refQName.empty()) return Ref<ARpObject>();
  bool found = false;
  Ref<ARpObject> obj = FindFromTop(*pRpGateway, interfaceTypeID, refQName, found);
  if (found) return obj;
  return ScanForQualifiedName(pRpGateway, interfaceTypeID, refQName);
}

bool MetadataUtil::IsQualifiedNameMatch(const Ref<ARpObject>& obj, const VXString& qualifiedNamePattern,
                                        bool bAliasMatching) {
  if (!bAliasMatching) return BaseStringUtil::IsCaseInsensitiveMatch(qualifiedNamePattern, GenerateQualifiedName(obj));
  if (obj.IsNull()) return false;
  VXStringVector allNames;
  obj->GetAliases(allNames);
  allNames.push_back(obj->GetName());
  const Ref<ARpObject> parent = GetParent(obj);
  QualifiedName parentName;
  GenerateQualifiedName(parent, parentName);
  AddEmptyAccordionNames(TypeOf(obj), parent, parentName);
  for (const VXString& name : allNames) {
    if (BaseStringUtil::IsCaseInsensitiveMatch(ToQualifiedName(parentName, name), qualifiedNamePattern)) return true;
  }
  return false;
}

void MetadataUtil::GenerateNameVectorOfRootObjects(ARpGateway* pRp, TypeID type, VXStringVector& nameVec) {
  if (!pRp) return;
  VoidIDVector ids;
  pRp->LookupObjects(InterfaceTypeCondition(type), ids);
  for (const VoidID& id : ids) {
    Ref<ARpObject> obj = pRp->GetObject(id);
    if (obj.IsNull()) continue;
    nameVec.push_back(obj->GetName());
    VXStringVector aliases;
    obj->GetAliases(aliases);
    nameVec.insert(nameVec.end(), aliases.begin(), aliases.end());
    if (type != kTIDACatalogFolder) continue;
    // Sub-folders of a subject area share its name space. Their aliases are
    // asked into the same vector as the subject area's: see the note at the
    // object model's GetAliases on whether that lists the area's again.
    const Ref<ACatalogFolder> area(obj);
    if (area.IsNull()) continue;
    for (BinaryRelIter<AFolder> it = area->GetSubFolders(); !it.IsEnd(); ++it) {
      const Ref<AFolder> sub = *it;
      if (sub.IsNull()) continue;
      nameVec.push_back(sub->GetName());
      sub->GetAliases(aliases);
      nameVec.insert(nameVec.end(), aliases.begin(), aliases.end());
    }
  }
}

void MetadataUtil::GetAllocatedChildrenNames(ARpGateway* pRp, TypeID typeID, const Ref<ARpObject>& rpParent,
                                             VXStringVector& names) {
  if (!pRp) return;
  RpObjectVector children;
  if (typeID == kTIDARpVariable) {
    // Repository variables all share one name space, whatever their parent.
    VoidIDVector ids;
    pRp->LookupObjects(InterfaceTypeCondition(kTIDARpVariable), ids);
    pRp->GetObjects(ids, children);
  } else {
    GetChildrenOfType(pRp, rpParent, children, typeID);
  }
  for (const Ref<ARpObject>& child : children) {
    if (!child.IsNull()) AppendNameAndAliases(child, names);
  }
}

void MetadataUtil::VoidIDVectorToRpObjectVector(ARpGateway* pRp, const VoidIDVector& objIDs,
                                                RpObjectVector& objVector) {
  objVector.clear();
  if (!pRp) return;
  objVector.reserve(objIDs.size());
  for (const VoidID& id : objIDs) {
    Ref<ARpObject> obj = pRp->GetObject(id);
    if (!obj.IsNull()) objVector.push_back(std::move(obj));
  }
}

std::int32_t MetadataUtil::FindColumnIndex(const Ref<AAttribute>& attr, BinaryRelIter<AAttribute> attrIter) {
  std::int32_t index = 0;
  for (; !attrIter.IsEnd(); ++attrIter, ++index) {
    if (*attrIter == attr) return index;
  }
  return kUnknownColumnIndex;
}

Ref<AAttribute> MetadataUtil::GetIthColumn(std::int32_t columnIndex, BinaryRelIter<AAttribute> attrIter) {
  if (columnIndex < 0) return Ref<AAttribute>();
  for (std::int32_t i = 0; !attrIter.IsEnd(); ++attrIter, ++i) {
    if (i == columnIndex) return *attrIter;
  }
  return Ref<AAttribute>();
}
