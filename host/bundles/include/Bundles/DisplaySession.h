// A session that shows custom display names and descriptions: the bundle
// store's hook installed, the session's language set, and an object's custom
// texts when it has them.
//
//   smutil_bundles::PrepareDisplaySession(&rp, U"fr");
//   smutil_bundles::CustomTexts texts = smutil_bundles::CustomTextsOf(&rp, column);
//   if (texts.displayName) ...;      // "Produits"
#pragma once

#include <optional>

#include "Utility/VXString.h"

class ARpGateway;
class ARpObject;
template <class T>
class Ref;

namespace smutil_bundles {

// Installs the bundle store's hook (InstallBundleHook) and, when language is
// not empty, sets the session's language (kLanguageVariable) on rp.
void PrepareDisplaySession(ARpGateway* rp, const VXString& language);

// The custom display name and description of obj, each present only when
// the object has one switched on (a presentation object or customer type).
// Asking loads the bundle strings the texts need into the session.
struct CustomTexts {
  std::optional<VXString> displayName, description;
};
CustomTexts CustomTextsOf(ARpGateway* rp, const Ref<ARpObject>& obj);

}  // namespace smutil_bundles
