// Objects named on the command line without a type: an id ("3001:12") or a
// qualified name, which may name objects of several types (a database and a
// subject area may both be "Sales").
#pragma once

#include <ostream>
#include <string>

#include "Metadata/SMUtil.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

// Every object that text names: the object of an id, or for a qualified name
// one object per type that has an object of that exact name. With a type
// other than 0 only that type is asked.
inline RpObjectVector FindObjectsFromArgument(ARpGateway* rp, const std::string& text, TypeID type = 0) {
  VoidID id;
  if (VoidID::FromString(ToVXString(text), id)) {
    Ref<ARpObject> obj = rp->GetObject(id);
    if (!obj.IsNull() && (type == 0 || obj->GetTypeID() == type)) return {obj};
  }
  const QualifiedName qname = QualifiedNameFromArgument(text);
  RpObjectVector found;
  if (type != 0) {
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp, type, qname);
    if (!obj.IsNull()) found.push_back(obj);
    return found;
  }
  const TypeIDVector types = rp->GetKnownTypes();
  for (TypeID t : types) {
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp, t, qname);
    if (!obj.IsNull()) found.push_back(obj);
  }
  return found;
}

// "3001:12 TABLE (3001) "Sales".""."".""Orders"" for listings and messages.
inline std::string DescribeObject(const Ref<ARpObject>& obj) {
  return ToNarrow(obj->GetID().ToString()) + " " + TypeLabel(obj->GetTypeID()) + " " +
         ToNarrow(MetadataUtil::GenerateQualifiedName(obj));
}

}  // namespace smutil_tool
