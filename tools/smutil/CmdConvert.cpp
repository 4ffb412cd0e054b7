// smutil convert IN OUT: reads a repository file and writes it again (the
// current format, objects in their canonical order). A file that does not
// load is reported with its line and column and OUT is left alone. "-" is
// standard input for IN and standard output for OUT.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "Commands.h"
#include "FileArgs.h"
#include "Progress.h"
#include "RepoLoad.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

struct ConvertOptions {
  std::string in, out;
};

int RunConvert(Context& ctx, const ConvertOptions& o) {
  if (!CheckNotAnInput(ctx, "convert", o.out, {o.in})) return kExitUsage;
  Progress progress(ctx, "convert");
  progress.Step("loading " + ShownInput(o.in));
  Context in{o.in, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  progress.Step("saving " + std::to_string(rp->GetObjectCount()) + " objects to " + ShownOutput(o.out));
  const bool bSaved = SaveRepository(ctx, "convert", *rp, o.out);
  progress.Done();
  if (!bSaved) return kExitIO;
  StatusOf(ctx, o.out) << ShownInput(o.in) << ": " << rp->GetObjectCount() << " objects written to "
                       << ShownOutput(o.out) << "\n";
  return kExitDone;
}

RunFn DeclareConvert(CLI::App& cmd, Context&) {
  auto o = std::make_shared<ConvertOptions>();
  cmd.add_option("IN", o->in, "the repository file to load (- for standard input)")->required();
  cmd.add_option("OUT", o->out, "the file to save it as (- for standard output)")->required();
  return [o](Context& c) { return RunConvert(c, *o); };
}

SMUTIL_COMMAND("convert", "load a repository file and save it again", DeclareConvert);

}  // namespace
}  // namespace smutil_tool
