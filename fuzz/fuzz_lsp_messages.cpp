// The language server's input: bytes cut into pieces (sizes from the first
// byte), framed by the message reader, parsed as JSON and handled by a
// server on the sample repository after an initialize, with the deferred
// diagnostics run after each piece. Nothing may crash, hang or throw.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzText.h"
#include "Lsp/LanguageServer.h"
#include "Lsp/MessageReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  smutil_lsp::ServerOptions options;
  options.repoPath = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
  std::size_t written = 0;
  smutil_lsp::LanguageServer server(options, [&](const nlohmann::json& m) {
    written += m.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).size();
  });
  std::string why;
  FuzzCheck(server.LoadRepository(why));
  server.Handle(nlohmann::json::parse(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})"));
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  smutil_lsp::MessageReader reader;
  std::vector<smutil_lsp::MessageReader::Event> events;
  const auto handle = [&] {
    for (const auto& e : events) {
      if (e.kind == smutil_lsp::MessageReader::Event::kFault) {
        server.RefuseUnreadable(e.fault);
        continue;
      }
      const nlohmann::json message = nlohmann::json::parse(e.body, nullptr, false);
      if (message.is_discarded()) {
        server.RefuseUnreadable("not JSON");
      } else {
        server.Handle(message);
      }
    }
    events.clear();
    server.RunDeferredWork({});
  };
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  for (std::size_t i = 0; i < bytes.size(); i += piece) {
    reader.Feed(bytes.substr(i, piece), events);
    handle();
  }
  reader.Finish(events);
  handle();
  return 0;
}
