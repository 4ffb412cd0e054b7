// smutil convert IN OUT: reads a repository file and writes it again (the
// current format, objects in their canonical order). A file that does not
// load is reported with its line and column and OUT is left alone.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "Commands.h"
#include "Progress.h"
#include "RepoLoad.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

struct ConvertOptions {
  std::string in, out;
};

int RunConvert(Context& ctx, const ConvertOptions& o) {
  Progress progress(ctx, "convert");
  progress.Step("loading " + o.in);
  Context in{o.in, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  progress.Step("saving " + std::to_string(rp->GetObjectCount()) + " objects to " + o.out);
  try {
    RpFile::Save(*rp, o.out);
  } catch (const RpFileError& e) {
    progress.Done();
    ctx.err << "smutil convert: " << e.GetMessage() << "\n";
    return kExitIO;
  }
  progress.Done();
  ctx.out << o.in << ": " << rp->GetObjectCount() << " objects written to " << o.out << "\n";
  return kExitDone;
}

RunFn DeclareConvert(CLI::App& cmd, Context&) {
  auto o = std::make_shared<ConvertOptions>();
  cmd.add_option("IN", o->in, "the repository file to load")->required();
  cmd.add_option("OUT", o->out, "the file to save it as")->required();
  return [o](Context& c) { return RunConvert(c, *o); };
}

SMUTIL_COMMAND("convert", "load a repository file and save it again", DeclareConvert);

}  // namespace
}  // namespace smutil_tool
