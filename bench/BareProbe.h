// The floor the name lookups are compared with: a hash map keyed by every
// object's written qualified name and type, so that both lookup benchmarks
// measure against the same probe.
#pragma once

#include <string>
#include <unordered_map>

#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"

namespace bench {

inline std::u32string WrittenNameKey(const Ref<ARpObject>& obj, TypeID type) {
  return MetadataUtil::GenerateQualifiedName(obj) + ToVXString(std::to_string(type));
}

inline std::unordered_map<std::u32string, ARpObject*> MapOfWrittenNames(ARpGateway& rp) {
  std::unordered_map<std::u32string, ARpObject*> map;
  map.reserve(rp.GetObjectCount());
  for (TypeID t : rp.GetKnownTypes()) {
    VoidIDVector ids;
    rp.GetObjectIDsOfType(t, ids);
    for (const VoidID& id : ids) {
      Ref<ARpObject> obj = rp.GetObject(id);
      map.emplace(WrittenNameKey(obj, t), obj.Get());
    }
  }
  return map;
}

}  // namespace bench
