// smutil generate N OUT [--seed S]: a synthetic repository of exactly N
// objects (databases, tables, columns, business models, subject areas, with
// column names reused across tables as in real repositories), saved as OUT.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <limits>
#include <memory>
#include <ostream>

#include "Commands.h"
#include "FileArgs.h"
#include "Output.h"
#include "Progress.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace smutil_tool {
namespace {

constexpr std::uint64_t kMaxObjects = 50'000'000;

struct GenerateOptions {
  std::uint64_t count = 0;
  std::uint64_t seed = RpGenerator::Options().m_seed;
  std::string out;
};

int RunGenerate(Context& ctx, const GenerateOptions& o) {
  RpGenerator::Options options;
  options.m_seed = o.seed;
  options.m_objectCount = static_cast<std::size_t>(o.count);
  Progress progress(ctx, "generate");
  progress.Step("generating " + std::to_string(o.count) + " objects");
  std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  progress.Step("saving " + ShownOutput(o.out));
  const bool bSaved = SaveRepository(ctx, "generate", *rp, o.out);
  progress.Done();
  if (!bSaved) return kExitIO;
  StatusOf(ctx, o.out) << rp->GetObjectCount() << " objects written to " << ShownOutput(o.out) << "\n";
  return kExitDone;
}

RunFn DeclareGenerate(CLI::App& cmd, Context&) {
  auto o = std::make_shared<GenerateOptions>();
  cmd.add_option("N", o->count, "number of objects, e.g. 1000000")
      ->required()
      ->check(WholeNumber("a number of objects", 1, kMaxObjects));
  cmd.add_option("OUT", o->out, "the repository file to write (- for standard output)")->required();
  cmd.add_option("--seed", o->seed, "seed of the generator (a non-negative integer)")
      ->type_name("S")
      ->check(WholeNumber("a seed", 0, std::numeric_limits<std::uint64_t>::max()));
  return [o](Context& c) { return RunGenerate(c, *o); };
}

SMUTIL_COMMAND("generate", "write a synthetic repository of N objects", DeclareGenerate);

}  // namespace
}  // namespace smutil_tool
