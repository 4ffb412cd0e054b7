#include "DisplayNames.h"

#include <CLI/CLI.hpp>

#include "Bundles/BundleStore.h"
#include "objectmodel/ObjectModel.h"

namespace smutil_tool {

void AddLangOption(CLI::App& cmd, std::string& lang) {
  cmd.add_option("--lang", lang, "the session's language for bundle strings (en, fr, ...)")->type_name("LANG");
}

void PrepareDisplaySession(ARpGateway* rp, const std::string& lang) {
  smutil_bundles::InstallBundleHook();
  if (rp && !lang.empty()) {
    rp->SetSessionVariableValue({smutil_bundles::kBundleBlock, smutil_bundles::kLanguageVariable},
                                Heap<PropertyValue>(new PropertyValueString(ToVXString(lang))));
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

}  // namespace smutil_tool
