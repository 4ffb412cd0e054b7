// smutil generate N OUT [--seed S]: a synthetic repository of exactly N
// objects (databases, tables, columns, business models, subject areas, with
// column names reused across tables as in real repositories), saved as OUT.
#include <charconv>
#include <ostream>

#include "Commands.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "generate N OUT [--seed S]";
constexpr std::uint64_t kMaxObjects = 50'000'000;

bool ParseCount(const std::string& text, std::uint64_t& v) {
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() && p == text.data() + text.size();
}

int RunGenerate(Context& ctx) {
  std::vector<std::string> words;
  RpGenerator::Options options;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    if (ctx.args[i] == "--seed" && i + 1 < ctx.args.size()) {
      if (!ParseCount(ctx.args[++i], options.m_seed)) {
        ctx.err << "smutil generate: --seed wants a non-negative integer, not '" << ctx.args[i] << "'\n";
        return 2;
      }
    } else {
      words.push_back(ctx.args[i]);
    }
  }
  std::uint64_t count = 0;
  if (words.size() != 2 || !ParseCount(words[0], count) || count == 0 || count > kMaxObjects) {
    ctx.err << "usage: smutil " << kUsage << "\n  N: number of objects, 1 to " << kMaxObjects
            << " (e.g. 1000000); OUT: the repository file to write\n";
    return 2;
  }
  options.m_objectCount = static_cast<std::size_t>(count);
  std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  try {
    RpFile::Save(*rp, words[1]);
  } catch (const RpFileError& e) {
    ctx.err << "smutil generate: " << e.GetMessage() << "\n";
    return 1;
  }
  ctx.out << rp->GetObjectCount() << " objects written to " << words[1] << "\n";
  return 0;
}

SMUTIL_COMMAND("generate", kUsage, "write a synthetic repository of N objects", RunGenerate);

}  // namespace
}  // namespace smutil_tool
