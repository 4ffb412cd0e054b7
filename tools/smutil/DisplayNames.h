// Custom display names in the tool: the --lang option of the commands that
// show them; the session and the texts come from the bundle store's box
// (Bundles/DisplaySession.h).
//
//   std::string lang;
//   AddLangOption(cmd, lang);
//   PrepareDisplaySession(rp.get(), lang);
//   CustomTexts texts = CustomTextsOf(rp.get(), obj);
#pragma once

#include <string>

#include "Bundles/DisplaySession.h"
#include "Metadata/SMUtil.h"

namespace CLI {
class App;
}

namespace smutil_tool {

using smutil_bundles::CustomTexts;
using smutil_bundles::CustomTextsOf;

// --lang LANG: the session's language (USER_LANGUAGE) for bundle strings.
void AddLangOption(CLI::App& cmd, std::string& lang);
// Installs the bundle store's hook and sets the session's language when
// lang is not empty.
inline void PrepareDisplaySession(ARpGateway* rp, const std::string& lang) {
  smutil_bundles::PrepareDisplaySession(rp, ToVXString(lang));
}

}  // namespace smutil_tool
