// smutil translations: the translation round trip of externalized display
// names and descriptions.
//
//   $ smutil translations export --lang fr --bundles bundles.db fr.xlf
//   exported 31 units of 27 objects to fr.xlf (en -> fr)
//   $ smutil translations import --bundles bundles.db fr.xlf
//   imported 31 strings for fr into bundles.db
//   $ smutil translations check --lang fr --bundles bundles.db
//   fr: every variable has a string
//   coverage complete
//
// export writes one XLIFF 2.0 unit per bundle key of every externalized
// object, its id made from the key; the source texts come from the bundle store in English when it has
// them (--bundles), else from the objects. import writes the translations
// into the bundle store for the document's target language, matching units
// by id or name (XLIFF 2.0, or 1.2 and 1.1 as other tools write it). Import
// is the whole document or nothing, in one transaction of the store: a file
// that is not valid XLIFF or a store that cannot be written changes nothing
// (exit 3), and units that match no object are listed on stderr and
// nothing is imported (exit 1). check exits 1 when an object has no
// externalized name or a variable has no string. "-" is standard output
// for export's OUT and standard input for import's IN; a bundle store is a
// regular file (SQLite opens it by name).
#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileArgs.h"
#include "Output.h"
#include "RepoLoad.h"
#include "Translations/Translations.h"

namespace smutil_tool {
namespace {

namespace tr = smutil_translations;

struct TranslationsOptions {
  CLI::App* exportCmd = nullptr;
  CLI::App* importCmd = nullptr;
  CLI::App* checkCmd = nullptr;
  std::string lang;
  std::string sourceLang = tr::kSourceLanguage;
  std::string bundles;
  std::string file;
};

int RunExport(Context& ctx, const TranslationsOptions& o, ARpGateway* rp) {
  const std::vector<tr::TranslationUnit> units = tr::CollectTranslationUnits(rp, o.bundles, o.sourceLang);
  // The document names the repository by its file name: a path of this
  // machine means nothing to a translator.
  const std::string original =
      IsStdStream(ctx.repoPath) ? std::string("repository") : std::filesystem::path(ctx.repoPath).filename().string();
  if (!WriteOutput(ctx, "translations export", o.file, "XLIFF file",
                   tr::XliffDocument(units, o.sourceLang, o.lang, original))) {
    return kExitIO;
  }
  std::set<VXString> objects;
  for (const tr::TranslationUnit& u : units) objects.insert(u.objectXml);
  Context status{ctx.repoPath, ctx.format, StatusOf(ctx, o.file), ctx.err};
  Emit(
      status,
      [&] {
        return nlohmann::json{{"units", units.size()},
                              {"objects", objects.size()},
                              {"file", o.file},
                              {"srcLang", o.sourceLang},
                              {"trgLang", o.lang}};
      },
      [&](std::ostream& out) {
        out << "exported " << units.size() << " units of " << objects.size() << " objects to " << ShownOutput(o.file)
            << " (" << o.sourceLang << " -> " << o.lang << ")\n";
      });
  return kExitDone;
}

int RunImport(Context& ctx, const TranslationsOptions& o, ARpGateway* rp) {
  std::string document;
  if (!ReadInput(ctx, "translations import", o.file, "XLIFF file", document)) return kExitIO;
  const tr::ImportResult r = tr::ImportXliffDocument(rp, document, ShownInput(o.file), o.bundles, o.lang);
  for (const std::string& line : r.unmatched) WriteError(ctx.err, "translations import", line);
  if (!r.unmatched.empty()) {
    WriteError(ctx.err, "translations import",
               "nothing was imported: " + std::to_string(r.unmatched.size()) +
                   (r.unmatched.size() == 1 ? " unit matches" : " units match") + " no object of " +
                   ShownInput(ctx.repoPath) + "; the bundle store " + o.bundles + " is as it was");
  }
  Emit(
      ctx,
      [&] {
        return nlohmann::json{{"language", r.language},
                              {"imported", r.imported},
                              {"untranslated", r.untranslated},
                              {"unmatched", r.unmatched}};
      },
      [&](std::ostream& out) {
        if (!r.unmatched.empty()) return;
        out << "imported " << r.imported << " strings for " << r.language << " into " << o.bundles << "\n";
        if (r.untranslated) out << r.untranslated << " units without a translation\n";
      });
  return r.unmatched.empty() ? kExitDone : kExitFailed;
}

void PrintList(std::ostream& out, const std::string& heading, const std::vector<std::string>& items) {
  out << heading << "\n";
  for (const std::string& item : items) out << "  " << item << "\n";
}

int RunCheck(Context& ctx, const TranslationsOptions& o, ARpGateway* rp) {
  const tr::CoverageReport c =
      tr::CheckCoverage(rp, o.bundles, o.lang.empty() ? std::vector<std::string>{} : std::vector<std::string>{o.lang});
  Emit(
      ctx,
      [&] {
        return nlohmann::json{{"languages", c.languages},
                              {"objectsWithoutVariables", c.objectsWithoutVariables},
                              {"missing", c.missing},
                              {"unused", c.unused},
                              {"complete", c.Complete()}};
      },
      [&](std::ostream& out) {
        if (!c.objectsWithoutVariables.empty()) {
          PrintList(out, std::to_string(c.objectsWithoutVariables.size()) + " objects without an externalized name:",
                    c.objectsWithoutVariables);
        }
        if (c.languages.empty()) out << "the bundle store holds no language\n";
        for (const std::string& language : c.languages) {
          const std::vector<std::string>& missing = c.missing.at(language);
          if (missing.empty()) {
            out << language << ": every variable has a string\n";
          } else {
            PrintList(out, language + ": " + std::to_string(missing.size()) + " variables without a string:", missing);
          }
          const std::vector<std::string>& unused = c.unused.at(language);
          if (!unused.empty()) {
            PrintList(out, language + ": " + std::to_string(unused.size()) + " strings no object uses:", unused);
          }
        }
        out << (c.Complete() ? "coverage complete\n" : "coverage incomplete\n");
      });
  return c.Complete() ? kExitDone : kExitFailed;
}

int RunTranslations(Context& ctx, const TranslationsOptions& o) {
  const bool bImport = o.importCmd->parsed();
  const char* command = o.exportCmd->parsed() ? "translations export"
                        : bImport             ? "translations import"
                                              : "translations check";
  if (o.exportCmd->parsed() && !CheckNotAnInput(ctx, command, o.file, {ctx.repoPath, o.bundles})) return kExitUsage;
  if (bImport && !CheckNotAnInput(ctx, command, o.bundles, {ctx.repoPath, o.file})) return kExitUsage;
  // Import creates a missing store; export reads one when named.
  if (!o.bundles.empty() && !CheckInputFile(ctx, command, o.bundles, "bundle store", bImport)) return kExitIO;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  try {
    if (o.exportCmd->parsed()) return RunExport(ctx, o, rp.get());
    if (bImport) return RunImport(ctx, o, rp.get());
    return RunCheck(ctx, o, rp.get());
  } catch (const tr::TranslationError& e) {
    WriteError(ctx.err, command,
               std::string(e.what()) + (bImport ? "; nothing was imported, the bundle store is as it was" : ""));
    return kExitIO;
  }
}

RunFn DeclareTranslations(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<TranslationsOptions>();
  cmd.require_subcommand(1, 1);
  o->exportCmd = cmd.add_subcommand("export", "write the externalized texts as an XLIFF 2.0 document");
  o->exportCmd->add_option("--lang", o->lang, "the target language (fr, de-CH, ...)")->type_name("LANG")->required();
  o->exportCmd->add_option("--source-lang", o->sourceLang, "the language of the source texts (default en)")
      ->type_name("LANG");
  o->exportCmd->add_option("--bundles", o->bundles, "the bundle store the source texts come from")->type_name("FILE");
  o->exportCmd->add_option("OUT", o->file, "the XLIFF file to write (- for standard output)")->required();

  o->importCmd = cmd.add_subcommand(
      "import", "load the translations of an XLIFF document (2.0, 1.2 or 1.1) into the bundle store");
  o->importCmd->add_option("--bundles", o->bundles, "the bundle store (SQLite; created when missing)")
      ->type_name("FILE")
      ->required();
  o->importCmd->add_option("--lang", o->lang, "the target language, for a document that names none")->type_name("LANG");
  o->importCmd->add_option("IN", o->file, "the translated XLIFF file (- for standard input)")->required();

  o->checkCmd = cmd.add_subcommand("check", "report what the bundle store lacks for the externalized texts");
  o->checkCmd->add_option("--lang", o->lang, "the language to check (default: every language of the store)")
      ->type_name("LANG");
  o->checkCmd->add_option("--bundles", o->bundles, "the bundle store (SQLite)")->type_name("FILE")->required();
  for (CLI::App* sub : {o->exportCmd, o->importCmd, o->checkCmd}) {
    sub->fallthrough();
    AddFormatOption(*sub, ctx);
  }
  return [o](Context& c) { return RunTranslations(c, *o); };
}

SMUTIL_COMMAND("translations", "export, import and check translations of externalized texts (XLIFF 2.0)",
               DeclareTranslations);

}  // namespace
}  // namespace smutil_tool
