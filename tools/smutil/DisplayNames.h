// Custom display names in the tool: the --lang and --bundles options of the
// commands that show them; the session and the texts come from the bundle
// store's box (Bundles/DisplaySession.h), the store from --bundles or the
// configuration's [Translations] BundleStore.
//
//   std::string lang, bundles;
//   AddDisplayOptions(cmd, lang, bundles);
//   if (!PrepareDisplaySession(ctx, rp.get(), lang, bundles)) return kExitFailed;
//   CustomTexts texts = CustomTextsOf(rp.get(), obj);
#pragma once

#include <string>

#include "Bundles/DisplaySession.h"
#include "Commands.h"
#include "Metadata/SMUtil.h"

namespace CLI {
class App;
}

namespace smutil_tool {

using smutil_bundles::CustomTexts;
using smutil_bundles::CustomTextsOf;

// --lang LANG: the session's language (USER_LANGUAGE) for bundle strings;
// --bundles FILE: the bundle store they are read from.
void AddDisplayOptions(CLI::App& cmd, std::string& lang, std::string& bundles);
// The store display names are shown from: bundles, else the configuration's
// default store; empty when neither names one (then each bundle database
// names its own file).
std::string DisplayBundleStore(const std::string& bundles);
// Installs the bundle store's hook, sets the session's language when lang
// is not empty and, with a store, the session variables of the strings it
// holds for that language (the fallback language when lang is empty).
// False after saying on ctx.err that the store cannot be read.
bool PrepareDisplaySession(Context& ctx, ARpGateway* rp, const std::string& lang, const std::string& bundles);

}  // namespace smutil_tool
