// smutil sql: logical SQL as people type it, read against the repository.
//
//   $ smutil sql check --user anna.berg samples/queries/broken_names.sql
//   samples/queries/broken_names.sql:3:8: error: No column is named "Orders"."Revenu". (did you mean ...?)
//   $ smutil sql format --by-id samples/queries/revenue_by_region.sql
//   $ smutil sql explain samples/queries/revenue_by_region.sql
//
// check prints FILE:LINE:COL: error|warning: message per fault (--format
// json or sarif for tools); exit 1 when there is an error, 0 when clean.
// format writes the query back in one naming mode (--fully-qualified, the
// default; --by-id; --display with --lang for custom display names); exit 1
// when the query has errors. explain lists each name with its place and what
// it resolved to. FILE "-" reads standard input; a file that cannot be read
// exits 3.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "Commands.h"
#include "DisplayNames.h"
#include "FileArgs.h"
#include "Findings.h"
#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVersion.h"
#include "Output.h"
#include "RepoLoad.h"
#include "Sarif/SarifWriter.h"

namespace smutil_tool {
namespace {

struct SqlOptions {
  std::string path;
  std::string user;
  std::string sqlFormat = "text";  // check: text, json, sarif
  bool bById = false, bDisplay = false, bFullyQualified = false;
  std::string lang, bundles;
};

bool ReadQueryText(Context& ctx, const std::string& path, std::string& text) {
  return ReadInput(ctx, "sql", path, "query text", text);
}

std::string DisplayPath(const std::string& path) { return path == "-" ? "<stdin>" : path; }

std::string Written(const QualifiedName& q) { return ToNarrow(MetadataUtil::ToQualifiedName(q)); }

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

// What each diagnostic code is about, for the rules of a SARIF log: a
// summary and what to do, without the arguments a message fills in.
struct SqlRule {
  std::string_view code, summary, help;
};
constexpr SqlRule kSqlRules[] = {
    {"sql.syntax.expected", "The text does not follow the grammar at this point",
     "Write what the message names as expected; reading goes on at the next select item or clause."},
    {"sql.syntax.unclosed-quote", "A quoted name, string literal or comment is not closed",
     "Close it; a quote inside is written twice."},
    {"sql.syntax.invalid-character", "A character that starts no token", "Remove it or put it inside quotes."},
    {"sql.text.invalid-utf8", "Bytes that are not UTF-8", "Save the query as UTF-8."},
    {"sql.syntax.too-deep", "Expressions or queries nested too deep", "Write the query with less nesting."},
    {"sql.syntax.unknown-function", "A function name the grammar does not know",
     "Check the spelling against the reference of logical SQL functions."},
    {"sql.syntax.bad-literal", "A literal that cannot be read as its kind",
     "Write dates as DATE 'YYYY-MM-DD', times as TIME 'hh:mm:ss' and numbers in decimal."},
    {"sql.syntax.bad-data-type", "A data type that CAST cannot take", "Use one of the data types of the reference."},
    {"sql.syntax.trailing", "Text after the end of the statement", "Remove it or start a new query file."},
    {"sql.syntax.bad-operands", "An operator with the wrong number of operands",
     "Give the operator as many operands as it takes."},
    {"sql.syntax.too-many-segments", "A name of more than four segments",
     "Name a column by subject area, table and column at most."},
    {"sql.too-many-diagnostics", "Further faults were left out", "Correct the faults reported and check again."},
    {"sql.name.nonexistent-subject-area", "No subject area bears the name",
     "Name a subject area the user may read; the message suggests near names."},
    {"sql.name.ambiguous-subject-area", "More than one subject area bears the name", "Name one of the candidates."},
    {"sql.name.inaccessible-subject-area", "The subject area exists but the user may not read it",
     "Ask for read access or use another subject area."},
    {"sql.name.not-a-subject-area", "The FROM clause names something other than a subject area",
     "Name a subject area of one segment in FROM."},
    {"sql.name.nonexistent-table", "No table bears the name", "Correct the table's name; near names are suggested."},
    {"sql.name.ambiguous-table", "More than one table bears the name", "Qualify the name so that one table fits."},
    {"sql.name.inaccessible-table", "The table exists but the user may not read it",
     "Ask for read access or leave the table out."},
    {"sql.name.nonexistent-column", "No column bears the name", "Correct the column's name; near names are suggested."},
    {"sql.name.ambiguous-column", "More than one column bears the name", "Qualify the name with its table."},
    {"sql.name.inaccessible-column", "The column exists but the user may not read it",
     "Ask for read access or leave the column out."},
    {"sql.name.nonexistent-variable", "No repository variable bears the name", "Correct the variable's name."},
    {"sql.name.ambiguous-variable", "More than one repository variable bears the name",
     "Qualify the variable with its initialization block."},
    {"sql.bind.unknown-user", "The user is not a user of the repository", "Give the name of a user of the repository."},
    {"sql.query.order-position", "ORDER BY names a position that no select item has",
     "Give a position from 1 to the number of select items."},
    {"sql.query.set-arity", "The queries of a set operation have different numbers of columns",
     "Select as many columns in each query."},
    {"sql.query.group-by-not-selected", "GROUP BY names an expression that is not a select item",
     "Group by a select item; other expressions are not kept."},
    {"sql.query.duplicate-alias", "Two select items have the same name", "Give each select item its own alias."},
};

// "sql.name.nonexistent-column" -> "SqlNameNonexistentColumn".
std::string RuleName(std::string_view code) {
  std::string name;
  bool bUpper = true;
  for (const char c : code) {
    if (c == '.' || c == '-') {
      bUpper = true;
    } else {
      name += bUpper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      bUpper = false;
    }
  }
  return name;
}

// A SARIF 2.1.0 log through the shared writer: one rule per code that
// occurs (in order of first occurrence), one result per fault with its
// region in the query file. Standard input has no file: its artifact is
// named "<stdin>" and has no length.
void WriteSarif(std::ostream& out, const std::vector<logical_sql::Diagnostic>& diagnostics, const std::string& path) {
  const std::string reference = DocumentationUri("sql.md");
  std::vector<smutil_sarif::Rule> rules;
  std::map<std::string, std::size_t> ruleIndex;
  for (const logical_sql::Diagnostic& d : diagnostics) {
    if (ruleIndex.count(d.code)) continue;
    ruleIndex[d.code] = rules.size();
    const auto* known =
        std::find_if(std::begin(kSqlRules), std::end(kSqlRules), [&](const SqlRule& r) { return r.code == d.code; });
    const bool bKnown = known != std::end(kSqlRules);
    smutil_sarif::Rule rule;
    rule.id = d.code;
    rule.name = RuleName(d.code);
    rule.shortDescription = bKnown ? std::string(known->summary) + "." : "A fault of the query text.";
    rule.fullDescription = rule.shortDescription + " Each result is message " + std::to_string(d.messageId) +
                           " of the message catalogue, at the place in the query file it is about.";
    rule.help = bKnown ? std::string(known->help) : "See the logical SQL reference.";
    rule.helpUri = reference;
    rule.defaultLevel =
        d.severity == logical_sql::Severity::kError ? smutil_sarif::Level::kError : smutil_sarif::Level::kWarning;
    rule.numberProperties = {{"messageId", static_cast<std::uint64_t>(d.messageId)}};
    rules.push_back(std::move(rule));
  }
  const std::string artifact = DisplayPath(path);
  const std::string directory = path == "-" ? std::string() : std::filesystem::path(path).parent_path().string();
  smutil_sarif::SarifWriter writer(out, {"smutil sql check", SMUtilVersion(), reference}, rules,
                                   directory.empty() ? "." : directory, {artifact});
  for (const logical_sql::Diagnostic& d : diagnostics) {
    smutil_sarif::Result r;
    r.ruleIndex = ruleIndex[d.code];
    r.level = d.severity == logical_sql::Severity::kError ? smutil_sarif::Level::kError : smutil_sarif::Level::kWarning;
    r.message = logical_sql::MessageLine(d);
    // A fault at the very end of the text is an empty region: it ends where it starts.
    const bool bSameLine = d.range.end.line == d.range.start.line;
    r.region =
        smutil_sarif::Region{d.range.start.line, d.range.start.column, std::max(d.range.end.line, d.range.start.line),
                             bSameLine ? std::max(d.range.end.column, d.range.start.column) : d.range.end.column};
    r.regionBytes = std::make_pair(static_cast<std::uint64_t>(d.range.start.offset),
                                   static_cast<std::uint64_t>(d.range.end.offset - d.range.start.offset));
    writer.Add(r);
  }
  writer.Finish();
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
    b.exit = kExitIO;
    return b;
  }
  b.rp = LoadRepositoryOrExplain(ctx);
  if (!b.rp) {
    b.exit = kExitIO;
    return b;
  }
  if (!PrepareDisplaySession(ctx, b.rp.get(), o.lang, o.bundles)) {
    b.exit = kExitIO;
    return b;
  }
  b.result = logical_sql::ParseAndBind(text, b.rp.get(), ToVXString(o.user), {});
  return b;
}

void WriteDiagnostics(std::ostream& out, const std::string& path, const std::vector<logical_sql::Diagnostic>& ds) {
  for (const logical_sql::Diagnostic& d : ds) {
    out << DisplayPath(path) << ':' << d.range.start.line << ':' << d.range.start.column << ": "
        << (d.severity == logical_sql::Severity::kError ? "error" : "warning") << ": " << logical_sql::MessageLine(d)
        << '\n';
  }
}

int RunCheck(Context& ctx, const SqlOptions& o) {
  if (o.sqlFormat != "text" && o.sqlFormat != "json" && o.sqlFormat != "sarif") {
    WriteError(ctx.err, "sql check", "--format takes text, json or sarif, not '" + o.sqlFormat + "'");
    return kExitUsage;
  }
  Bound b = BindFile(ctx, o);
  if (b.exit != kExitDone) return b.exit;
  const auto& ds = b.result.diagnostics;
  if (o.sqlFormat == "sarif") {
    WriteSarif(ctx.out, ds, o.path);
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
    WriteError(ctx.err, "sql format", "give one of --fully-qualified, --by-id and --display");
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
