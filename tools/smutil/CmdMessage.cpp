// smutil message: the text of a consistency-check message for given objects.
//
//   $ smutil message 38009 '"Retail"."Sales"."Revenue"'
//   ERROR [38009] Logical column "Retail"."Sales"."Revenue" has no physical data source mapping ...
//
// Objects are given in argument order, as qualified names or as ids
// (2006:14); the first is the object the message is about. A name that
// several objects share (of different types) must be given by id.
#include <charconv>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/ConsistencyMessage.h"
#include "ObjectArgs.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "message ID [QNAME | TYPE:NUMBER]...";

const char* SeverityLabel(ConsistencyMessageType type) {
  switch (type) {
    case MSG_WARNING:
      return "WARNING";
    case MSG_BESTPRACTICE:
      return "BEST PRACTICE";
    case MSG_ERROR:
      return "ERROR";
    case MSG_UNKNOWN:
      break;
  }
  return "UNKNOWN";
}

// The number of objects the id's text is built from, or -1 for an id the
// check never fills from objects.
long ArgumentCount(MessageId id) {
  for (const auto& [recipeId, count] : ConsistencyMessage::GetRecipeArgumentCounts()) {
    if (recipeId == id) return static_cast<long>(count);
  }
  return -1;
}

int RunMessage(Context& ctx) {
  if (ctx.args.empty()) {
    ctx.err << "usage: smutil " << kUsage << "\n  writes consistency message ID filled with the named objects\n";
    return 2;
  }
  const std::string& idText = ctx.args[0];
  MessageId id = 0;
  const auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
  if (ec != std::errc() || end != idText.data() + idText.size()) {
    ctx.err << "smutil message: '" << idText << "' is not a message number\nusage: smutil " << kUsage << "\n";
    return 2;
  }
  const long needed = ArgumentCount(id);
  if (needed < 0) {
    ctx.err << "smutil message: the consistency check does not build message " << id << " from objects\n";
    return 1;
  }
  const std::size_t given = ctx.args.size() - 1;
  if (given < static_cast<std::size_t>(needed)) {
    ctx.err << "smutil message: message " << id << " names " << needed << " object" << (needed == 1 ? "" : "s") << "; "
            << given << " given\n";
    return 2;
  }

  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return 1;
  RpObjectVector objects;
  for (std::size_t i = 1; i < ctx.args.size(); ++i) {
    const RpObjectVector found = FindObjectsFromArgument(rp.get(), ctx.args[i]);
    if (found.size() == 1) {
      objects.push_back(found[0]);
      continue;
    }
    if (found.empty()) {
      ctx.err << "smutil message: nothing named " << ctx.args[i] << " in " << ctx.repoPath << "\n";
    } else {
      ctx.err << "smutil message: " << ctx.args[i] << " names several objects; give one by its id:\n";
      for (const Ref<ARpObject>& o : found) ctx.err << "  " << DescribeObject(o) << "\n";
    }
    return 1;
  }
  if (objects.size() > static_cast<std::size_t>(needed)) {
    ctx.err << "note: message " << id << " uses only the first " << needed << " object" << (needed == 1 ? "" : "s")
            << "\n";
  }
  const ConsistencyMessage message(id, objects.empty() ? Ref<ARpObject>() : objects.front(), objects);
  ctx.out << SeverityLabel(message.GetType()) << " " << ToNarrow(message.GetText(true)) << "\n";
  return 0;
}

SMUTIL_COMMAND("message", kUsage, "the text of a consistency-check message for the named objects", RunMessage);

}  // namespace
}  // namespace smutil_tool
