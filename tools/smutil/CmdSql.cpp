// smutil sql: logical SQL as people type it, read against the repository.
//
//   $ smutil sql check --user anna.berg samples/queries/broken_names.sql
//   samples/queries/broken_names.sql:2:8: error: No column is named "Orders"."Revenu". (did you mean
//   "Orders"."Revenue"?) $ smutil sql format --by-id samples/queries/revenue_by_region.sql $ smutil sql explain
//   samples/queries/revenue_by_region.sql
//
// check prints FILE:LINE:COL: error|warning: message per fault (--format
// json or sarif for tools); exit 1 when there is an error, 0 when clean.
// format writes the query back in one naming mode (--fully-qualified, the
// default; --by-id; --display with --lang for custom display names); exit 1
// when the query has errors. explain lists each name with its place and what
// it resolved to. FILE "-" reads standard input; a file that cannot be read
// exits 3.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "Commands.h"
#include "DisplayNames.h"
#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVersion.h"
#include "Output.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

constexpr int kExitUnreadable = 3;

struct SqlOptions {
  std::string path;
  std::string user;
  std::string sqlFormat = "text";  // check: text, json, sarif
  bool bById = false, bDisplay = false, bFullyQualified = false;
  std::string lang, bundles;
};

bool ReadQueryText(Context& ctx, const std::string& path, std::string& text) {
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (std::cin.bad()) {
      ctx.err << "smutil sql: standard input could not be read\n";
      return false;
    }
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ctx.err << "smutil sql: " << path << ": cannot be read\n";
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    ctx.err << "smutil sql: " << path << ": cannot be read\n";
    return false;
  }
  return true;
}

std::string DisplayPath(const std::string& path) { return path == "-" ? "<stdin>" : path; }

std::string Written(const QualifiedName& q) { return ToNarrow(MetadataUtil::ToQualifiedName(q)); }

// The message with what it suggests, as one line.
std::string MessageLine(const logical_sql::Diagnostic& d) {
  std::string line = ToNarrow(d.message);
  if (!d.suggestions.empty()) {
    line += " (did you mean ";
    for (std::size_t i = 0; i < d.suggestions.size(); ++i) {
      if (i > 0) line += i + 1 == d.suggestions.size() ? " or " : ", ";
      line += Written(d.suggestions[i]);
    }
    line += "?)";
  }
  if (!d.candidates.empty()) {
    line += " (candidates: ";
    for (std::size_t i = 0; i < d.candidates.size(); ++i) {
      if (i > 0) line += ", ";
      line += Written(d.candidates[i].m_qName);
    }
    line += ")";
  }
  return line;
}

nlohmann::json PositionJson(const logical_sql::SourcePosition& p) {
  return {{"line", p.line}, {"column", p.column}, {"offset", p.offset}};
}

nlohmann::json DiagnosticJson(const logical_sql::Diagnostic& d) {
  nlohmann::json doc{{"severity", d.severity == logical_sql::Severity::kError ? "error" : "warning"},
                     {"code", d.code},
                     {"messageId", d.messageId},
                     {"message", ToNarrow(d.message)},
                     {"start", PositionJson(d.range.start)},
                     {"end", PositionJson(d.range.end)}};
  if (d.outcome != logical_sql::kNotAnOutcome) doc["outcome"] = std::string(logical_sql::OutcomeName(d.outcome));
  nlohmann::json candidates = nlohmann::json::array();
  for (const QualifiedNameIDPair& c : d.candidates) {
    candidates.push_back({{"qualifiedName", Written(c.m_qName)}, {"id", ToNarrow(c.m_id.ToString())}});
  }
  doc["candidates"] = candidates;
  nlohmann::json suggestions = nlohmann::json::array();
  for (const QualifiedName& q : d.suggestions) suggestions.push_back(Written(q));
  doc["suggestions"] = suggestions;
  return doc;
}

// A SARIF 2.1.0 log with one result per fault, its region in the query file.
nlohmann::json SarifLog(const std::vector<logical_sql::Diagnostic>& diagnostics, const std::string& uri) {
  nlohmann::json rules = nlohmann::json::array();
  std::map<std::string, std::size_t> ruleIndex;
  nlohmann::json results = nlohmann::json::array();
  for (const logical_sql::Diagnostic& d : diagnostics) {
    if (!ruleIndex.count(d.code)) {
      ruleIndex[d.code] = rules.size();
      rules.push_back({{"id", d.code}, {"properties", {{"messageId", d.messageId}}}});
    }
    nlohmann::json region{
        {"startLine", d.range.start.line},    {"startColumn", d.range.start.column},
        {"endLine", d.range.end.line},        {"endColumn", std::max(d.range.end.column, d.range.start.column)},
        {"byteOffset", d.range.start.offset}, {"byteLength", d.range.end.offset - d.range.start.offset}};
    results.push_back(
        {{"ruleId", d.code},
         {"ruleIndex", ruleIndex[d.code]},
         {"level", d.severity == logical_sql::Severity::kError ? "error" : "warning"},
         {"message", {{"text", MessageLine(d)}}},
         {"locations",
          {{{"physicalLocation", {{"artifactLocation", {{"uri", uri}, {"index", 0}}}, {"region", region}}}}}}});
  }
  nlohmann::json run = {
      {"tool", {{"driver", {{"name", "smutil sql check"}, {"version", SMUtilVersion()}, {"rules", rules}}}}},
      {"artifacts", {{{"location", {{"uri", uri}}}}}},
      {"columnKind", "unicodeCodePoints"},
      {"results", results}};
  return {{"$schema", "https://docs.oasis-open.org/sarif/sarif/v2.1.0/os/schemas/sarif-schema-2.1.0.json"},
          {"version", "2.1.0"},
          {"runs", {run}}};
}

// Loads the repository and binds the file's query as the user.
struct Bound {
  std::unique_ptr<ARpGateway> rp;
  logical_sql::BindResult result;
  int exit = kExitDone;
};

Bound BindFile(Context& ctx, const SqlOptions& o) {
  Bound b;
  std::string text;
  if (!ReadQueryText(ctx, o.path, text)) {
    b.exit = kExitUnreadable;
    return b;
  }
  b.rp = LoadRepositoryOrExplain(ctx);
  if (!b.rp) {
    b.exit = kExitUnreadable;
    return b;
  }
  if (!PrepareDisplaySession(ctx, b.rp.get(), o.lang, o.bundles)) {
    b.exit = kExitUnreadable;
    return b;
  }
  b.result = logical_sql::ParseAndBind(text, b.rp.get(), ToVXString(o.user), {});
  return b;
}

void WriteDiagnostics(std::ostream& out, const std::string& path, const std::vector<logical_sql::Diagnostic>& ds) {
  for (const logical_sql::Diagnostic& d : ds) {
    out << DisplayPath(path) << ':' << d.range.start.line << ':' << d.range.start.column << ": "
        << (d.severity == logical_sql::Severity::kError ? "error" : "warning") << ": " << MessageLine(d) << '\n';
  }
}

int RunCheck(Context& ctx, const SqlOptions& o) {
  if (o.sqlFormat != "text" && o.sqlFormat != "json" && o.sqlFormat != "sarif") {
    ctx.err << "smutil sql check: --format takes text, json or sarif, not '" << o.sqlFormat << "'\n";
    return kExitUsage;
  }
  Bound b = BindFile(ctx, o);
  if (b.exit != kExitDone) return b.exit;
  const auto& ds = b.result.diagnostics;
  if (o.sqlFormat == "sarif") {
    ctx.out << SarifLog(ds, DisplayPath(o.path)).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else if (o.sqlFormat == "json") {
    nlohmann::json doc = nlohmann::json::array();
    for (const logical_sql::Diagnostic& d : ds) doc.push_back(DiagnosticJson(d));
    ctx.out << DumpJson(doc) << '\n';
  } else {
    WriteDiagnostics(ctx.out, o.path, ds);
  }
  return logical_sql::HasErrors(ds) ? kExitFailed : kExitDone;
}

int RunFormat(Context& ctx, const SqlOptions& o) {
  if (static_cast<int>(o.bById) + static_cast<int>(o.bDisplay) + static_cast<int>(o.bFullyQualified) > 1) {
    ctx.err << "smutil sql format: give one of --fully-qualified, --by-id and --display\n";
    return kExitUsage;
  }
  Bound b = BindFile(ctx, o);
  if (b.exit != kExitDone) return b.exit;
  if (!b.result.spec) {
    WriteDiagnostics(ctx.err, o.path, b.result.diagnostics);
    return kExitFailed;
  }
  logical_sql::FormatOptions options;
  options.mode = o.bById      ? logical_sql::NamingMode::kById
                 : o.bDisplay ? logical_sql::NamingMode::kDisplayNames
                              : logical_sql::NamingMode::kFullyQualified;
  options.fetchFirst = b.result.fetchFirst;
  WriteDiagnostics(ctx.err, o.path, b.result.diagnostics);  // warnings only here
  ctx.out << ToNarrow(logical_sql::Format(*b.result.spec, b.rp.get(), options));
  return kExitDone;
}

std::string_view KindName(logical_sql::BoundName::Kind kind) {
  switch (kind) {
    case logical_sql::BoundName::kSubjectArea:
      return "subject area";
    case logical_sql::BoundName::kColumn:
      return "column";
    case logical_sql::BoundName::kVariable:
      return "variable";
    case logical_sql::BoundName::kAlias:
      return "select item";
    case logical_sql::BoundName::kDerivedColumn:
      return "derived column";
  }
  return "";
}

int RunExplain(Context& ctx, const SqlOptions& o) {
  Bound b = BindFile(ctx, o);
  if (b.exit != kExitDone) return b.exit;
  const auto& names = b.result.names;
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::array();
        for (const logical_sql::BoundName& n : names) {
          nlohmann::json e{{"name", Written(n.written)},
                           {"kind", std::string(KindName(n.kind))},
                           {"start", PositionJson(n.range.start)},
                           {"end", PositionJson(n.range.end)},
                           {"outcome", std::string(logical_sql::OutcomeName(n.outcome))}};
          if (!n.id.IsNull()) {
            e["id"] = ToNarrow(n.id.ToString());
            e["type"] = n.type;
            e["typeName"] = TypeLabel(n.type);
            e["qualifiedName"] = ToNarrow(n.qualifiedName);
            if (!n.displayName.empty()) e["displayName"] = ToNarrow(n.displayName);
          }
          doc.push_back(e);
        }
        return doc;
      },
      [&](std::ostream& out) {
        for (const logical_sql::BoundName& n : names) {
          out << n.range.start.line << ':' << n.range.start.column << '\t' << Written(n.written) << '\t'
              << KindName(n.kind) << '\t';
          if (n.id.IsNull()) {
            out << logical_sql::OutcomeName(n.outcome);
          } else {
            out << ToNarrow(n.id.ToString()) << '\t' << TypeLabel(n.type) << '\t' << ToNarrow(n.qualifiedName);
            if (!n.displayName.empty()) out << "\tdisplayed as " << ToNarrow(n.displayName);
          }
          out << '\n';
        }
      });
  WriteDiagnostics(ctx.err, o.path, b.result.diagnostics);
  return logical_sql::HasErrors(b.result.diagnostics) ? kExitFailed : kExitDone;
}

RunFn DeclareSql(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<SqlOptions>();
  cmd.require_subcommand(1);
  CLI::App* check = cmd.add_subcommand("check", "report every fault of a query with its line and column");
  CLI::App* format = cmd.add_subcommand("format", "write a query back in one naming mode");
  CLI::App* explain = cmd.add_subcommand("explain", "list each name of a query and what it resolved to");
  for (CLI::App* sub : {check, format, explain}) {
    sub->add_option("--user", o->user, "read as this user of the repository (its read denials apply)")
        ->type_name("USER");
    sub->add_option("FILE", o->path, "the query text; - reads standard input")->required();
  }
  check->add_option("--format", o->sqlFormat, "text (the default), json or sarif (SARIF 2.1.0)")->type_name("FORMAT");
  format->add_flag("--fully-qualified", o->bFullyQualified, "every name in full, every part quoted (the default)");
  format->add_flag("--by-id", o->bById, "names as object ids");
  format->add_flag("--display", o->bDisplay, "custom display names where objects have them");
  AddDisplayOptions(*format, o->lang, o->bundles);
  AddFormatOption(*explain, ctx);
  return [o, check, format](Context& c) {
    if (check->parsed()) return RunCheck(c, *o);
    if (format->parsed()) return RunFormat(c, *o);
    return RunExplain(c, *o);
  };
}

SMUTIL_COMMAND("sql", "read logical SQL: check it, format it, explain its names", DeclareSql);

}  // namespace
}  // namespace smutil_tool
