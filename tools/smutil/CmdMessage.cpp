// smutil message: the text of a consistency-check message for given objects.
//
//   $ smutil message 38009 '"Retail"."Sales"."Revenue"'
//   ERROR [38009] Logical column "Retail"."Sales"."Revenue" has no physical data source mapping ...
//
// Objects are given in argument order, as qualified names or as ids
// (2006:14); the first is the object the message is about. A name that
// several objects share (of different types) must be given by id. A message
// needs as many objects as the highest object position its text uses (one
// object may give both its type and its name). --format json prints
// {"id","severity","text","objects":[{"id","type","typeName","name","qualifiedName"}]}.
#include <CLI/CLI.hpp>
#include <limits>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/ConsistencyMessage.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

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

struct MessageOptions {
  MessageId id = 0;
  std::vector<std::string> objects;
};

int RunMessage(Context& ctx, const MessageOptions& o) {
  const MessageId id = o.id;
  const std::optional<std::size_t> needed = ConsistencyMessage::GetRecipeObjectCount(id);
  if (!needed) {
    WriteError(ctx.err, "message",
               "the consistency check does not build message " + std::to_string(id) + " from objects");
    return kExitFailed;
  }
  const std::size_t given = o.objects.size();
  if (given < *needed) {
    WriteError(ctx.err, "message",
               "message " + std::to_string(id) + " names " + std::to_string(*needed) + " object" +
                   (*needed == 1 ? "" : "s") + "; " + std::to_string(given) + " given");
    return kExitUsage;
  }

  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  RpObjectVector objects;
  for (const std::string& arg : o.objects) {
    const RpObjectVector found = FindObjectsFromArgument(rp.get(), arg);
    if (found.size() == 1) {
      objects.push_back(found[0]);
      continue;
    }
    if (found.empty()) {
      WriteError(ctx.err, "message", "nothing named " + arg + " in " + ctx.repoPath);
    } else {
      WriteError(ctx.err, "message", arg + " names several objects; give one by its id:");
      for (const Ref<ARpObject>& obj : found) WriteHint(ctx.err, DescribeObject(obj));
    }
    return kExitFailed;
  }
  if (objects.size() > *needed) {
    ctx.err << "note: message " << id << " uses only the first " << *needed << " object" << (*needed == 1 ? "" : "s")
            << "\n";
  }
  const ConsistencyMessage message(id, objects.empty() ? Ref<ARpObject>() : objects.front(), objects);
  const std::string text = ToNarrow(message.GetText(true));
  Emit(
      ctx,
      [&] {
        nlohmann::json doc{{"id", id}, {"severity", SeverityLabel(message.GetType())}, {"text", text}};
        doc["objects"] = nlohmann::json::array();
        for (const Ref<ARpObject>& obj : objects) doc["objects"].push_back(ObjectJson(obj));
        return doc;
      },
      [&](std::ostream& out) { out << SeverityLabel(message.GetType()) << " " << text << "\n"; });
  return kExitDone;
}

RunFn DeclareMessage(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<MessageOptions>();
  cmd.add_option("ID", o->id, "the message number, e.g. 38009")
      ->required()
      ->check(WholeNumber("a message number", 1, std::numeric_limits<MessageId>::max()));
  cmd.add_option("OBJECT", o->objects, "the objects, by qualified name or id (2006:14), main object first");
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunMessage(c, *o); };
}

SMUTIL_COMMAND("message", "the text of a consistency-check message for the named objects", DeclareMessage);

}  // namespace
}  // namespace smutil_tool
