// The objects of a relation iterator as a vector, for range-for loops.
#pragma once

#include <vector>

#include "objectmodel/Relation.h"

namespace smutil_site {

template <class T>
std::vector<Ref<T>> All(BinaryRelIter<T> it) {
  std::vector<Ref<T>> out;
  for (; !it.IsEnd(); ++it) out.push_back(*it);
  return out;
}

}  // namespace smutil_site
