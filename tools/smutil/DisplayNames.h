// Custom display names in the tool: the session a command shows them in
// (bundle strings from the SQLite bundle store, --lang for the language),
// and an object's custom texts when it has them.
//
//   std::string lang;
//   AddLangOption(cmd, lang);
//   PrepareDisplaySession(rp.get(), lang);
//   CustomTexts texts = CustomTextsOf(rp.get(), obj);
#pragma once

#include <optional>
#include <string>

#include "Metadata/SMUtil.h"

namespace CLI {
class App;
}

namespace smutil_tool {

// --lang LANG: the session's language (USER_LANGUAGE) for bundle strings.
void AddLangOption(CLI::App& cmd, std::string& lang);
// Installs the bundle store's hook and sets the session's language when
// lang is not empty.
void PrepareDisplaySession(ARpGateway* rp, const std::string& lang);

// The custom display name and description of obj, each present only when
// the object has one (a presentation object or customer type whose text is
// switched on).
struct CustomTexts {
  std::optional<VXString> displayName, description;
};
CustomTexts CustomTextsOf(ARpGateway* rp, const Ref<ARpObject>& obj);

}  // namespace smutil_tool
