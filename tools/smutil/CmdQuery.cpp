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
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "Commands.h"
#include "Metadata/SMQueryFile.h"
#include "Metadata/SMUtil.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "query [--fq] [--tabs] [--native] [--short] [--diag] [--bytes] [--query NAME] FILE";

// Types in the file are read as the other commands read them.
QueryFileTypes ToolTypes(Context& ctx) {
  QueryFileTypes types;
  types.parse = [&ctx](const std::string& text, TypeID& type, std::string& why) {
    std::ostringstream typeErr;
    Context quiet{ctx.repoPath, {}, ctx.out, typeErr};
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

int RunQuery(Context& ctx) {
  bool bFQ = false, bTabs = false, bNative = false, bShort = false, bDiag = false, bBytes = false;
  std::string queryName, path;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--fq") {
      bFQ = true;
    } else if (a == "--tabs") {
      bTabs = true;
    } else if (a == "--native") {
      bNative = true;
    } else if (a == "--short") {
      bShort = true;
    } else if (a == "--diag") {
      bDiag = true;
    } else if (a == "--bytes") {
      bBytes = true;
    } else if (a == "--query" && i + 1 < ctx.args.size()) {
      queryName = ctx.args[++i];
    } else if (a.rfind("--", 0) == 0 || !path.empty()) {
      ctx.err << "usage: smutil " << kUsage << "\n";
      return 2;
    } else {
      path = a;
    }
  }
  if (path.empty()) {
    ctx.err << "usage: smutil " << kUsage << "\n"
            << "  writes the query described in FILE as logical SQL (see samples/queries/)\n";
    return 2;
  }
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return 1;
  try {
    QueryFileReader reader(rp.get(), ToolTypes(ctx));
    reader.ReadFile(path);
    const AbstractListQuerySpec& spec = reader.Get(queryName);
    if (bBytes) {
      ctx.out << HexFromBytes(spec.ToByteVector()) << "\n";
    } else if (bDiag) {
      if (spec.m_queryType != AbstractListQuerySpec::kSingleQuery) {
        ctx.err << "smutil query: --diag writes single queries only\n";
        return 2;
      }
      ctx.out << ToNarrow(MetadataUtil::ToString(spec.ToListQuerySpec(), rp.get(), bFQ)) << "\n";
    } else {
      ctx.out << ToNarrow(MetadataUtil::ToSQLStatement(spec, rp.get(), bFQ, bTabs, bNative, bShort)) << "\n";
    }
  } catch (const QueryFileError& e) {
    ctx.err << "smutil query: " << path << ": " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    ctx.err << "smutil query: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

SMUTIL_COMMAND("query", kUsage, "write a query spec from a query file as logical SQL", RunQuery);

}  // namespace
}  // namespace smutil_tool
