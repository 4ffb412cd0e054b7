#include "DisplayNames.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "Bundles/BundleStore.h"
#include "FileArgs.h"
#include "Output.h"
#include "Utility/SUSystemConfig.h"

namespace smutil_tool {

void AddDisplayOptions(CLI::App& cmd, std::string& lang, std::string& bundles) {
  cmd.add_option("--lang", lang, "the session's language for bundle strings (en, fr, ...)")->type_name("LANG");
  cmd.add_option("--bundles", bundles,
                 "the bundle store (SQLite) display names are shown from, such as the one translations import "
                 "writes; default: [Translations] BundleStore of the configuration")
      ->type_name("FILE");
}

std::string DisplayBundleStore(const std::string& bundles) {
  if (!bundles.empty()) return bundles;
  return ToNarrow(SUSystemConfig::GetSystemConfig()->GetBundleStore());
}

bool PrepareDisplaySession(Context& ctx, ARpGateway* rp, const std::string& lang, const std::string& bundles) {
  smutil_bundles::PrepareDisplaySession(rp, ToVXString(lang));
  const std::string store = DisplayBundleStore(bundles);
  if (store.empty() || !rp) return true;
  if (!CheckInputFile(ctx, "", store, "bundle store")) return false;
  smutil_bundles::InstallBundleHook(store);
  std::string why;
  if (!smutil_bundles::LoadSessionStrings(
          rp, store, lang.empty() ? VXString(smutil_bundles::kFallbackLanguage) : ToVXString(lang), why)) {
    WriteError(ctx.err, "", why);
    return false;
  }
  return true;
}

}  // namespace smutil_tool
