// smutil check: the consistency check of a whole repository, or of a part.
//
//   $ smutil check --repo samples/broken.rpd.xml --type "LOGICAL TABLE"
//   error	38017	logical-table-without-source	"Sales"."Returns"	Logical table "Sales"."Returns" has no
//   ... 1 error, 0 warnings, 0 best practice
//
// One line per finding, sorted: severity, message id, check, the object's
// qualified name and the message text; then a count. --type keeps objects
// of those types, --object one object and what it contains, --changed-since
// the objects that differ from an earlier repository file and those that
// refer to them. --format json writes an array of findings, --format sarif
// a SARIF 2.1.0 log for code-scanning tools (both in Findings.h). Exit code 0 without errors, 1
// with errors (or, with --max-severity warning, with warnings too), 2 for
// bad usage.
#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Checks/ConsistencyCheck.h"
#include "Commands.h"
#include "FileArgs.h"
#include "Findings.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoLoad.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

enum class CheckFormat { kText, kJson, kSarif };

struct CheckOptions {
  std::vector<std::string> typeTexts;
  std::string objectText;
  std::string changedSince;
  CheckFormat format = CheckFormat::kText;
  ConsistencyMessageType failAt = MSG_ERROR;
};

// Whether a finding of this severity fails the run when failAt is the
// lowest severity that does (best practice never does).
bool Fails(ConsistencyMessageType type, ConsistencyMessageType failAt) {
  if (type == MSG_BESTPRACTICE) return false;
  return type == MSG_ERROR || type == MSG_UNKNOWN || failAt == MSG_WARNING;
}

void WriteText(std::ostream& out, const std::vector<ConsistencyMessage>& found) {
  std::size_t counts[4] = {0, 0, 0, 0};
  for (const ConsistencyMessage& m : found) {
    ++counts[m.GetType()];
    out << SeverityName(m.GetType()) << '\t' << m.GetMessageId() << '\t' << CheckIdOf(m) << '\t'
        << ToNarrow(MetadataUtil::GenerateQualifiedName(m.GetMainObject())) << '\t' << ToNarrow(m.GetText(false))
        << '\n';
  }
  const auto plural = [](std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
  };
  out << plural(counts[MSG_ERROR] + counts[MSG_UNKNOWN], "error") << ", " << plural(counts[MSG_WARNING], "warning")
      << ", " << counts[MSG_BESTPRACTICE] << " best practice\n";
}

// The object and everything it contains.
void AddWithDescendants(const ARpObject& obj, std::unordered_set<VoidID, VoidIDHash>& scope) {
  scope.insert(obj.GetID());
  for (ARpObject* child : obj.GetChildPointers()) AddWithDescendants(*child, scope);
}

// The process ends after one command. Freeing a repository of a million
// objects one allocation at a time takes a sixth of a run's CPU, and the
// system takes the memory back at once, so the repository is kept to the
// end; reachable from here, it is no leak to a leak checker.
void KeepToTheEnd(std::unique_ptr<ARpGateway> rp) {
  static auto& kept = *new std::vector<std::unique_ptr<ARpGateway>>();
  kept.push_back(std::move(rp));
}

// The bytes of a repository file: mapped, or read whole from standard input.
struct RepositoryBytes {
  std::optional<SUFileUtility::MappedFile> map;
  std::string read;
  std::string_view View() const { return map ? std::string_view(map->Data(), map->Size()) : std::string_view(read); }
};

// Loads the repository from bytes already read, with the explanation
// LoadRepositoryOrExplain gives.
std::unique_ptr<ARpGateway> LoadMappedOrExplain(Context& ctx, const RepositoryBytes& file) {
  const std::string_view bytes = file.View();
  try {
    if (bytes.empty()) throw RpFileError(ShownInput(ctx.repoPath), 1, 1, "the file is empty (no <repository> element)");
    return RpFile::LoadFromMemory(bytes.data(), bytes.size(), ShownInput(ctx.repoPath));
  } catch (const RpFileError& e) {
    WriteLoadError(ctx, e, "fix the file at that place, or give another file with --repo FILE");
  }
  return nullptr;
}

bool MapOrExplain(Context& ctx, RepositoryBytes& file, const std::string& path, const char* what, const char* explain) {
  if (IsStdStream(path)) return ReadInput(ctx, "check", path, what, file.read, SUFileUtility::kMaxMappedFileBytes);
  try {
    file.map.emplace(path, what);
    return true;
  } catch (const SUFileUtility::SUFileError& e) {
    WriteError(ctx.err, "check", std::string(explain) + " " + path + ": " + e.GetReason());
  }
  return false;
}

int RunCheck(Context& ctx, const CheckOptions& o) {
  ConsistencyCheckOptions options;
  for (const std::string& text : o.typeTexts) {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, text, type)) return kExitUsage;
    options.m_types.push_back(type);
  }
  // With --changed-since the current file is mapped once: the texts are
  // compared on the very bytes the repository is loaded from.
  RepositoryBytes nowFile, earlierFile;
  std::unique_ptr<ARpGateway> rp;
  // SARIF places each finding in the file's text, read from the same bytes.
  if (!o.changedSince.empty() || o.format == CheckFormat::kSarif) {
    if ((!o.changedSince.empty() && !MapOrExplain(ctx, earlierFile, o.changedSince, "earlier repository file",
                                                  "cannot load the earlier repository")) ||
        !MapOrExplain(ctx, nowFile, ctx.repoPath, "repository file", "cannot load repository")) {
      return kExitIO;
    }
    rp = LoadMappedOrExplain(ctx, nowFile);
  } else {
    rp = LoadRepositoryOrExplain(ctx);
  }
  if (!rp) return kExitIO;
  if (!o.objectText.empty()) {
    const RpObjectVector objects = FindObjectsFromArgument(rp.get(), o.objectText);
    if (objects.empty()) {
      WriteError(ctx.err, "check", "no object named " + o.objectText + " in " + ctx.repoPath);
      return kExitFailed;
    }
    options.m_scope.emplace();
    for (const Ref<ARpObject>& obj : objects) AddWithDescendants(*obj, *options.m_scope);
  }
  if (!o.changedSince.empty()) {
    ChangedScopeFromText changed;
    try {
      changed = ChangedObjectScope(*rp, nowFile.View(), earlierFile.View(), ShownInput(o.changedSince));
    } catch (const RpFileError& e) {
      WriteError(ctx.err, "check", "cannot load the earlier repository " + LoadFaultPlace(e) + ": " + e.GetMessage());
      return kExitIO;
    }
    if (options.m_scope) {
      std::erase_if(changed.scope, [&](const VoidID& id) { return !options.m_scope->contains(id); });
    }
    options.m_scope = std::move(changed.scope);
  }
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(*rp, options);
  switch (o.format) {
    case CheckFormat::kJson:
      WriteFindingsJson(ctx.out, found);
      break;
    case CheckFormat::kSarif:
      WriteFindingsSarif(ctx.out, found, ctx.repoPath, nowFile.View());
      break;
    case CheckFormat::kText:
      WriteText(ctx.out, found);
      break;
  }
  int exitCode = kExitDone;
  for (const ConsistencyMessage& m : found) {
    if (Fails(m.GetType(), o.failAt)) exitCode = kExitFailed;
  }
  KeepToTheEnd(std::move(rp));
  return exitCode;
}

RunFn DeclareCheck(CLI::App& cmd, Context&) {
  auto o = std::make_shared<CheckOptions>();
  cmd.add_option("--type", o->typeTexts, "check only objects of these types (TABLE, 3001, \"LOGICAL COLUMN\", ...)")
      ->type_name("TYPE")
      ->expected(1, -1);
  cmd.add_option("--object", o->objectText, "check only this object (an id or a qualified name) and what it contains")
      ->type_name("QNAME");
  cmd.add_option("--changed-since", o->changedSince,
                 "check only what differs from this earlier repository file, and what refers to it")
      ->type_name("FILE");
  const std::vector<std::pair<std::string, CheckFormat>> formats{
      {"text", CheckFormat::kText}, {"json", CheckFormat::kJson}, {"sarif", CheckFormat::kSarif}};
  cmd.add_option("--format", o->format, "output format: text (the default), json or sarif (SARIF 2.1.0)")
      ->type_name("FORMAT")
      ->transform(OneOf(formats));
  const std::vector<std::pair<std::string, ConsistencyMessageType>> severities{{"warning", MSG_WARNING},
                                                                               {"error", MSG_ERROR}};
  cmd.add_option("--max-severity", o->failAt,
                 "the lowest severity that makes the exit code 1: error (the default) or warning")
      ->type_name("LEVEL")
      ->transform(OneOf(severities));
  return [o](Context& c) { return RunCheck(c, *o); };
}

SMUTIL_COMMAND("check", "run the consistency checks on the repository", DeclareCheck);

}  // namespace
}  // namespace smutil_tool
