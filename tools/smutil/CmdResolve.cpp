// smutil resolve: the names of a query resolved as the server resolves them,
// for one user, with the outcome code and what it means.
//
//   $ smutil resolve Sales.Orders
//   Sales.Orders: kOK (0) exactly one table found
//     "Sales Analysis".."Orders"	4008:1
//   $ smutil resolve --user kiosk Sales.Margin
//   Sales.Margin: kNonexistentTable (5) no table bears the name
//
// Each NAME is a written qualified name ("Sales Analysis"."Orders" or
// Sales.Orders). Tables: the pairs (qualified name, id) under which the table
// found can be addressed; a one-part presentation name that names a subject
// area lists the area's tables. On ambiguity the candidates, on a miss up to
// five names the user may read that come near. --column resolves table.column
// names instead. --user takes the user's read denials from the repository;
// --show-inaccessible-as-null looks past them, as a query that projects what
// the user may not read as nulls does. Exit 1 when a name does not resolve.
// --format json prints an array of one record per name.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMNameResolution.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"

namespace smutil_tool {
namespace {

struct ResolveOptions {
  std::string layer = "presentation";
  std::string user, defaultSubjectArea, defaultCatalog;
  bool bAsNull = false, bColumn = false;
  std::vector<std::string> names;
};

std::string Written(const QualifiedName& q) { return ToNarrow(MetadataUtil::ToQualifiedName(q)); }

nlohmann::json PairsJson(const QualifiedNameIDPairVector& pairs) {
  nlohmann::json a = nlohmann::json::array();
  for (const QualifiedNameIDPair& p : pairs) {
    a.push_back({{"qualifiedName", Written(p.m_qName)}, {"id", ToNarrow(p.m_id.ToString())}});
  }
  return a;
}

nlohmann::json NamesJson(const std::vector<QualifiedName>& names) {
  nlohmann::json a = nlohmann::json::array();
  for (const QualifiedName& q : names) a.push_back(Written(q));
  return a;
}

// One name's answer, kept for both output forms.
struct Answer : NameResolution {
  std::string text;  // as typed
};

nlohmann::json AnswerJson(const Answer& a) {
  nlohmann::json doc{{"name", a.text}, {"resolved", a.bResolved}};
  if (a.bColumn) {
    doc["columns"] = PairsJson(a.pairs);
    doc["inaccessibleColumns"] = a.bInaccessibleColumns;
  } else {
    doc["code"] = static_cast<int>(a.code);
    doc["codeName"] = DescribeLookupOutcome(a.code).name;
    doc["meaning"] = DescribeLookupOutcome(a.code).meaning;
    doc["pairs"] = PairsJson(a.pairs);
    doc["candidates"] = PairsJson(a.candidates);
    if (!a.catalogFolderID.IsNull()) doc["subjectArea"] = ToNarrow(a.catalogFolderID.ToString());
  }
  doc["suggestions"] = NamesJson(a.suggestions);
  return doc;
}

void WriteAnswer(std::ostream& out, const Answer& a) {
  if (a.bColumn) {
    out << a.text << ": " << a.pairs.size() << (a.pairs.size() == 1 ? " column" : " columns")
        << (a.bInaccessibleColumns ? " (matching columns the user may not read were left out)" : "") << '\n';
  } else {
    // A one-part name that names a subject area lists the area's tables.
    const char* meaning =
        a.catalogFolderID.IsNull() ? DescribeLookupOutcome(a.code).meaning : "a subject area; its tables:";
    out << a.text << ": " << DescribeLookupOutcome(a.code).name << " (" << static_cast<int>(a.code) << ") " << meaning
        << '\n';
  }
  for (const QualifiedNameIDPair& p : a.pairs)
    out << "  " << Written(p.m_qName) << '\t' << ToNarrow(p.m_id.ToString()) << '\n';
  for (const QualifiedNameIDPair& p : a.candidates) {
    out << "  candidate " << Written(p.m_qName) << '\t' << ToNarrow(p.m_id.ToString()) << '\n';
  }
  for (const QualifiedName& q : a.suggestions) out << "  did you mean " << Written(q) << '\n';
}

int RunResolve(Context& ctx, const ResolveOptions& o) {
  ExprType layer = kSME_Logical;
  if (o.layer == "business") {
    layer = kSME_BusinessModel;
  } else if (o.layer == "physical") {
    layer = kSME_Physical;
  } else if (o.layer != "presentation") {
    WriteError(ctx.err, "resolve", "--layer takes presentation, business or physical, not '" + o.layer + "'",
               {"run 'smutil help resolve' for the usage"});
    return kExitUsage;
  }
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  if (!o.user.empty() && !rp->SignOnAs(ToVXString(o.user))) {
    WriteError(ctx.err, "resolve", "no user named '" + o.user + "' in " + ctx.repoPath);
    return kExitFailed;
  }
  if (!o.defaultSubjectArea.empty()) rp->SetDefaultSubjectAreaName(ToVXString(o.defaultSubjectArea));
  if (!o.defaultCatalog.empty()) rp->SetDefaultCatalogName(ToVXString(o.defaultCatalog));

  std::vector<Answer> answers;
  for (const std::string& text : o.names) {
    const QualifiedName name = QualifiedNameFromArgument(text);
    Answer& a = answers.emplace_back();
    static_cast<NameResolution&>(a) = o.bColumn ? ResolveColumnName(rp.get(), name, layer, o.bAsNull)
                                                : ResolveTableName(rp.get(), name, layer, o.bAsNull);
    a.text = text;
  }
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::array();
        for (const Answer& a : answers) doc.push_back(AnswerJson(a));
        return doc;
      },
      [&](std::ostream& out) {
        for (const Answer& a : answers) WriteAnswer(out, a);
      });
  for (const Answer& a : answers) {
    if (!a.bResolved) return kExitFailed;
  }
  return kExitDone;
}

RunFn DeclareResolve(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<ResolveOptions>();
  cmd.add_option("--layer", o->layer, "presentation (default), business or physical")->type_name("LAYER");
  cmd.add_option("--user", o->user, "resolve as this user of the repository (its read denials apply)")
      ->type_name("USER");
  cmd.add_option("--default-subject-area", o->defaultSubjectArea, "the session's default subject area")
      ->type_name("NAME");
  cmd.add_option("--default-catalog", o->defaultCatalog, "the session's default physical catalog (database.catalog)")
      ->type_name("NAME");
  cmd.add_flag("--show-inaccessible-as-null", o->bAsNull,
               "look past read denials, as a query projecting what the user may not read as nulls");
  cmd.add_flag("--column", o->bColumn, "the names are table.column names");
  cmd.add_option("NAME", o->names, "a written qualified name (\"Sales Analysis\".\"Orders\" or Sales.Orders)")
      ->required();
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunResolve(c, *o); };
}

SMUTIL_COMMAND("resolve", "resolve a query's table or column names as a user, with the outcome code", DeclareResolve);

}  // namespace
}  // namespace smutil_tool
