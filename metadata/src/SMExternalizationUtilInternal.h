// What the externalization sources share: the dispatch of an object to its
// display-name family, and whether a KEX object stands behind it.
#pragma once

#include "Metadata/SMExternalizationUtil.h"
#include "objectmodel/TypeIDs.h"

namespace smutil_externalization {

// Calls f with the object as its family's handle (AFolder for subject areas,
// presentation tables, hierarchies and levels; AFolderAttr; the customer
// type) and returns its answer; other types and missing objects give
// otherwise.
template <class R, class F>
R WithFamily(const Ref<ARpObject>& obj, R otherwise, F&& f) {
  if (obj.IsNull()) return otherwise;
  switch (obj->GetTypeID()) {
    case kTIDACatalogFolder:
    case kTIDAEntityFolder:
    case kTIDAPresentationHierarchy:
    case kTIDAPresentationLevel:
      return f(Ref<AFolder>(obj));
    case kTIDAFolderAttr:
      return f(Ref<AFolderAttr>(obj));
    case kTIDAMktg_CustomerType:
      return f(Ref<AMktg_CustomerType>(obj));
    default:
      return otherwise;
  }
}

// A presentation column with a KEX physical column behind it, or (with
// bTablesToo) a presentation table with a KEX physical table behind it.
bool HasKEXObjectBehind(const Ref<ARpObject>& obj, bool bTablesToo);

}  // namespace smutil_externalization
