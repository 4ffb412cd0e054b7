// Object ids as the tests compare them: what a lookup answers, the ids of a
// list of objects.
#pragma once

#include "objectmodel/RpGateway.h"

namespace testutil {

inline VoidIDVector IDs(const RpObjectVector& objects) {
  VoidIDVector ids;
  for (const Ref<ARpObject>& o : objects) ids.push_back(o.GetID());
  return ids;
}

inline VoidIDVector Lookup(ARpGateway& rp, const ACondition& condition) {
  VoidIDVector ids;
  rp.LookupObjects(condition, ids);
  return ids;
}

}  // namespace testutil
