// The walk that writes an object's qualified name, shared by the name
// generator and the name tests that only compare; not part of the library's
// interface.
#pragma once

#include <cstddef>

#include "objectmodel/ObjectParent.h"
#include "objectmodel/RpObject.h"

namespace smnames {

// Visits the segments of obj's qualified name innermost first: its own name,
// then for each container the empty accordion levels between and the
// container's name. The segments are read in place (visit gets a const
// VXString& valid during the call); answers how many there were.
template <class Visit>
std::size_t ForEachSegmentInnermostFirst(const ARpObject& obj, Visit visit) {
  static const VXString kEmpty;
  const ARpObject* cur = &obj;
  visit(cur->GetName());
  std::size_t n = 1;
  for (const ARpObject* parent = cur->GetParentPointer(); parent; parent = parent->GetParentPointer()) {
    // A type's meta class bears the type's own id, so the object's id is
    // read directly rather than through the type table.
    for (int i = RpObject::AccordionDepth(cur->GetTypeID(), parent->GetTypeID()); i > 0; --i, ++n) {
      visit(kEmpty);
    }
    visit(parent->GetName());
    ++n;
    cur = parent;
  }
  return n;
}

}  // namespace smnames
