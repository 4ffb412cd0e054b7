// smutil convert IN OUT: reads a repository file and writes it again (the
// current format, objects in their canonical order). A file that does not
// load is reported with its line and column and OUT is left alone.
#include <ostream>

#include "Commands.h"
#include "RepoLoad.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

int RunConvert(Context& ctx) {
  if (ctx.args.size() != 2) {
    ctx.err << "usage: smutil convert IN OUT\n  loads the repository file IN and saves it as OUT\n";
    return 2;
  }
  Context in{ctx.args[0], {}, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return 1;
  try {
    RpFile::Save(*rp, ctx.args[1]);
  } catch (const RpFileError& e) {
    ctx.err << "smutil convert: " << e.GetMessage() << "\n";
    return 1;
  }
  ctx.out << ctx.args[0] << ": " << rp->GetObjectCount() << " objects written to " << ctx.args[1] << "\n";
  return 0;
}

SMUTIL_COMMAND("convert", "convert IN OUT", "load a repository file and save it again", RunConvert);

}  // namespace
}  // namespace smutil_tool
