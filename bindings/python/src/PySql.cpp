// Logical SQL from Python: repo.sql.check(text) gives the faults of a query
// as smutil.SqlDiagnostic objects, repo.sql.format(text) writes it back in
// one naming mode. Both bind as the server does, under a user's read
// denials when one is given.
//
// Binding sets the session's default subject area (and the user when one
// is given), so both take the repository's lock alone; the user signs off
// again when the call ends, as in resolve.
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMUtil.h"
#include "PyCommon.h"

namespace smutil_python {
namespace {

// A diagnostic with the written form of its names, ready for Python.
struct PySqlDiagnostic {
  logical_sql::Diagnostic d;
};

// Binds text in the repository as user (None: the session's own user).
logical_sql::BindResult BindText(ARpGateway* rp, const VXString& text, py::handle user) {
  struct SignOff {
    ARpGateway* rp;
    bool bSigned;
    ~SignOff() {
      if (!bSigned) return;
      rp->ClearReadDenials();
      rp->SetCurrentUser(VXString(), VXString());
    }
  } signOff{rp, !user.is_none()};
  const std::string utf8 = ToNarrow(text);
  return logical_sql::ParseAndBind(utf8, rp, user.is_none() ? VXString() : FromPy(user), {});
}

py::object OutcomeToPy(logical_sql::NameOutcome outcome) {
  if (outcome == logical_sql::kNotAnOutcome) return py::none();
  return EnumClass("SqlOutcome")(static_cast<int>(outcome));
}

std::string SeverityName(logical_sql::Severity s) { return s == logical_sql::Severity::kError ? "ERROR" : "WARNING"; }

}  // namespace

void BindSql(py::module_& m, RepositoryClass& repository) {
  py::list severities;
  severities.append(py::make_tuple("ERROR", static_cast<int>(logical_sql::Severity::kError)));
  severities.append(py::make_tuple("WARNING", static_cast<int>(logical_sql::Severity::kWarning)));
  MakeEnum(m, "SqlSeverity", severities, "How bad a fault of a logical SQL query is: an error stops it from running.");

  // The outcomes of resolving a name of a query: the table outcomes of the
  // lookups and those of columns, subject areas and variables.
  py::list outcomes;
  for (int code = logical_sql::kOK; code <= logical_sql::kNonexistentVariable; ++code) {
    const auto o = static_cast<logical_sql::NameOutcome>(code);
    // "kInaccessibleColumn" as INACCESSIBLE_COLUMN.
    std::string name;
    char previous = 0;
    for (const char c : logical_sql::OutcomeName(o).substr(1)) {
      if (c >= 'A' && c <= 'Z' && previous >= 'a' && previous <= 'z') name += '_';
      name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      previous = c;
    }
    outcomes.append(py::make_tuple(name, code));
  }
  MakeEnum(m, "SqlOutcome", outcomes, "The outcome of resolving one name of a logical SQL query.");

  py::class_<PySqlDiagnostic> diag(m, "SqlDiagnostic",
                                   "One fault of a logical SQL query: its severity, stable code, message and "
                                   "place (lines and columns from 1, columns in characters; offsets in bytes of "
                                   "the UTF-8 text from 0).");
  diag.def_property_readonly(
      "severity", [](const PySqlDiagnostic& p) { return EnumClass("SqlSeverity")(static_cast<int>(p.d.severity)); },
      "SqlSeverity.ERROR or SqlSeverity.WARNING.");
  diag.def_property_readonly(
      "code", [](const PySqlDiagnostic& p) { return p.d.code; },
      "The stable code, e.g. \"sql.name.inaccessible-column\".");
  diag.def_property_readonly(
      "message_id", [](const PySqlDiagnostic& p) { return p.d.messageId; }, "The message catalogue's number.");
  diag.def_property_readonly(
      "message", [](const PySqlDiagnostic& p) { return ToPy(p.d.message); }, "The message text.");
  diag.def_property_readonly(
      "line", [](const PySqlDiagnostic& p) { return p.d.range.start.line; }, "The line where the fault starts.");
  diag.def_property_readonly(
      "column", [](const PySqlDiagnostic& p) { return p.d.range.start.column; }, "The column where the fault starts.");
  diag.def_property_readonly(
      "end_line", [](const PySqlDiagnostic& p) { return p.d.range.end.line; }, "The line where it ends.");
  diag.def_property_readonly(
      "end_column", [](const PySqlDiagnostic& p) { return p.d.range.end.column; }, "The column just past its end.");
  diag.def_property_readonly(
      "offset", [](const PySqlDiagnostic& p) { return p.d.range.start.offset; }, "The byte offset of its start.");
  diag.def_property_readonly(
      "end_offset", [](const PySqlDiagnostic& p) { return p.d.range.end.offset; },
      "The byte offset just past its end.");
  diag.def_property_readonly(
      "outcome", [](const PySqlDiagnostic& p) { return OutcomeToPy(p.d.outcome); },
      "For a name, how resolving it ended (an SqlOutcome); None for other faults.");
  diag.def_property_readonly(
      "candidates", [](const PySqlDiagnostic& p) { return PairsToPy(p.d.candidates); },
      "On an ambiguous name, what it could mean (NamePair objects).");
  diag.def_property_readonly(
      "suggestions",
      [](const PySqlDiagnostic& p) {
        py::list out;
        for (const QualifiedName& q : p.d.suggestions) out.append(ToPy(MetadataUtil::ToQualifiedName(q)));
        return out;
      },
      "On a name that does not resolve, up to five near names the user may read.");
  diag.def(
      "__repr__",
      [](const PySqlDiagnostic& p) {
        return py::str("SqlDiagnostic({} {}:{} {} {!r})")
            .format(SeverityName(p.d.severity), p.d.range.start.line, p.d.range.start.column, p.d.code,
                    ToPy(p.d.message));
      },
      "The severity, the place, the code and the message.");

  struct PySql {
    StatePtr state;
  };
  py::class_<PySql> sql(m, "Sql", "Logical SQL queries read against the repository: repo.sql.");
  sql.def(
      "check",
      [](const PySql& s, py::handle text, py::handle user) {
        const VXString query = FromPy(text);
        WriteGuard g(*s.state);
        const logical_sql::BindResult r = BindText(g.rp, query, user);
        py::list out;
        for (const logical_sql::Diagnostic& d : r.diagnostics) out.append(py::cast(PySqlDiagnostic{d}));
        return out;
      },
      py::arg("text"), py::kw_only(), py::arg("user") = py::none(),
      "Every fault of a query, each an SqlDiagnostic in the order of the text: syntax faults with what was "
      "expected, names that do not resolve (with candidates and suggestions), as user when given (whose read "
      "denials apply; an unknown user is a diagnostic too). An empty list: the query is sound.");
  sql.def(
      "format",
      [](const PySql& s, py::handle text, py::handle user, bool bById, bool bDisplay) {
        if (bById && bDisplay) Raise(FaultKind::kUsage, "by_id and display exclude each other");
        const VXString query = FromPy(text);
        WriteGuard g(*s.state);
        const logical_sql::BindResult r = BindText(g.rp, query, user);
        if (!r.spec) {
          for (const logical_sql::Diagnostic& d : r.diagnostics) {
            if (d.severity != logical_sql::Severity::kError) continue;
            Raise(FaultKind::kUsage, ToNarrow(d.message) + " [" + d.code + "]", "<query>", d.range.start.line,
                  d.range.start.column);
          }
          Raise(FaultKind::kUsage, "the query did not bind");
        }
        logical_sql::FormatOptions options;
        options.mode = bById      ? logical_sql::NamingMode::kById
                       : bDisplay ? logical_sql::NamingMode::kDisplayNames
                                  : logical_sql::NamingMode::kFullyQualified;
        options.fetchFirst = r.fetchFirst;
        return ToPy(logical_sql::Format(*r.spec, g.rp, options));
      },
      py::arg("text"), py::kw_only(), py::arg("user") = py::none(), py::arg("by_id") = false,
      py::arg("display") = false,
      "The query written back through the renderer, one clause per line: every name in full and quoted (the "
      "default, text that reads back to the same query), by_id as quoted object ids, or display with the custom "
      "display names in the repository's language. A query with an error raises UsageError with the first "
      "error's message, line and column.");
  repository.def_property_readonly(
      "sql", [](const PyRepository& r) { return PySql{r.state}; }, "Logical SQL queries read against this repository.");
}

}  // namespace smutil_python
