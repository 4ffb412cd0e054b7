// smutil query: a query spec described in a small text file (the format is
// described in Metadata/SMQueryFile.h), written as logical SQL against the
// repository.
//
//   $ smutil query --native --tabs samples/queries/orders_by_region.qry
//
// The last query of the file is written unless --query NAME picks another.
// TYPE in {TYPE:"qualified"."name"} is read as the other commands take it:
// TABLE, COLUMN, FOREIGN KEY, PRESENTATION COLUMN, 3001, ...
//
// Flags: --fq (fully qualified names), --tabs, --native, --short (short
// external form), --diag (the diagnostic form instead), --bytes (the
// query spec's byte form in hex instead). Exit codes: 0 written, 1 the
// file or repository could not be read or an object was not found, 2 usage.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "Commands.h"
#include "FileArgs.h"
#include "Metadata/SMQueryFile.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

// Types in the file are read as the other commands read them.
QueryFileTypes ToolTypes(Context& ctx) {
  QueryFileTypes types;
  types.parse = [&ctx](const std::string& text, TypeID& type, std::string& why) {
    std::ostringstream typeErr;
    Context quiet{ctx.repoPath, ctx.format, ctx.out, typeErr};
    if (ParseTypeArgument(quiet, text, type)) return true;
    // The first line says what is wrong; the list of every type name that
    // follows it belongs to the usage text, not to a file error.
    why = typeErr.str();
    why = why.substr(0, why.find('\n'));
    why = why.substr(0, why.find_last_not_of(" \t\r") + 1);
    why += " (types are named as in the other commands: TABLE, COLUMN, FOREIGN KEY, JOIN, ...)";
    return false;
  };
  types.label = TypeLabel;
  return types;
}

struct QueryOptions {
  bool bFQ = false, bTabs = false, bNative = false, bShort = false, bDiag = false, bBytes = false;
  std::string queryName, path;
};

int RunQuery(Context& ctx, const QueryOptions& o) {
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  std::string text;
  if (!ReadInput(ctx, "query", o.path, "query file", text)) return kExitIO;
  try {
    QueryFileReader reader(rp.get(), ToolTypes(ctx));
    reader.Read(text, ShownInput(o.path));
    const AbstractListQuerySpec& spec = reader.Get(o.queryName);
    if (o.bBytes) {
      ctx.out << HexFromBytes(spec.ToByteVector()) << "\n";
    } else if (o.bDiag) {
      if (spec.m_queryType != AbstractListQuerySpec::kSingleQuery) {
        WriteError(ctx.err, "query", "--diag writes single queries only");
        return kExitUsage;
      }
      ctx.out << ToNarrow(MetadataUtil::ToString(spec.ToListQuerySpec(), rp.get(), o.bFQ)) << "\n";
    } else {
      const MetadataUtil::QueryTextOptions options{
          .fullyQualified = o.bFQ, .tabs = o.bTabs, .nativeSQL = o.bNative, .shortExternalMode = o.bShort};
      ctx.out << ToNarrow(MetadataUtil::ToSQLStatement(spec, rp.get(), options)) << "\n";
    }
  } catch (const QueryFileError& e) {
    WriteError(ctx.err, "query", e.what());
    return kExitIO;
  } catch (const std::exception& e) {
    WriteError(ctx.err, "query", e.what());
    return kExitFailed;
  }
  return kExitDone;
}

RunFn DeclareQuery(CLI::App& cmd, Context&) {
  auto o = std::make_shared<QueryOptions>();
  cmd.add_flag("--fq", o->bFQ, "fully qualified names");
  cmd.add_flag("--tabs", o->bTabs, "tabs in the SQL text");
  cmd.add_flag("--native", o->bNative, "native form of the SQL text");
  cmd.add_flag("--short", o->bShort, "short external form");
  cmd.add_flag("--diag", o->bDiag, "the diagnostic form instead (single queries)");
  cmd.add_flag("--bytes", o->bBytes, "the query spec's byte form in hex instead");
  cmd.add_option("--query", o->queryName, "the query of the file to write (default: the last)")->type_name("NAME");
  cmd.add_option("FILE", o->path, "the query file (see the samples' queries/; - for standard input)")->required();
  return [o](Context& c) { return RunQuery(c, *o); };
}

SMUTIL_COMMAND("query", "write a query spec from a query file as logical SQL", DeclareQuery);

}  // namespace
}  // namespace smutil_tool
