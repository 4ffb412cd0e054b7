#include "Bundles/DisplaySession.h"

#include "Bundles/BundleStore.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"

namespace smutil_bundles {

void PrepareDisplaySession(ARpGateway* rp, const VXString& language) {
  InstallBundleHook();
  if (rp && !language.empty()) {
    rp->SetSessionVariableValue({kBundleBlock, kLanguageVariable},
                                Heap<PropertyValue>(new PropertyValueString(language)));
  }
}

CustomTexts CustomTextsOf(ARpGateway* rp, const Ref<ARpObject>& obj) {
  CustomTexts texts;
  if (obj.IsNull()) return texts;
  if (obj->GetBool(RpProp::kDisplayNameUse)) texts.displayName = MetadataUtil::GetCustomDisplayName(rp, obj);
  if (obj->GetBool(RpProp::kDisplayDescriptionUse)) {
    texts.description = MetadataUtil::GetCustomDescription(rp, obj);
  }
  return texts;
}

}  // namespace smutil_bundles
