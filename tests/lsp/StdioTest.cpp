// The server over a pipe, as an editor starts it: bytes in, framed
// answers out, broken input answered and passed over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "Lsp/LanguageServer.h"
#include "Lsp/MessageReader.h"

namespace {

using nlohmann::json;

// A framed request (given an id) or notification, params left out when null.
std::string Frame(const std::string& method, json id = nullptr, json params = nullptr) {
  json j = {{"jsonrpc", "2.0"}, {"method", method}};
  if (!id.is_null()) j["id"] = std::move(id);
  if (!params.is_null()) j["params"] = std::move(params);
  return smutil_lsp::FrameMessage(j.dump());
}

// Runs the server on input (then, a moment later, on tail) and returns its
// exit code and what it wrote.
int Serve(const std::string& input, std::vector<json>& out, const std::string& tail = std::string()) {
  int in[2], outPipe[2];
  if (pipe(in) != 0 || pipe(outPipe) != 0) return -1;
  smutil_lsp::ServerOptions options;
  options.repoPath = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
  smutil_lsp::LanguageServer server(options, smutil_lsp::FdSink(outPipe[1]));
  std::string why;
  if (!server.LoadRepository(why)) return -2;
  std::thread writer([&] {
    const auto writeAll = [&](const std::string& bytes) {
      for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(in[1], bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
    };
    writeAll(input);
    if (!tail.empty()) {
      // Time for the server to empty its queue and do the deferred work.
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      writeAll(tail);
    }
    close(in[1]);
  });
  std::string bytes;
  std::thread collector([&] {
    char buffer[4096];
    for (ssize_t n; (n = read(outPipe[0], buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, static_cast<std::size_t>(n));
  });
  const int code = smutil_lsp::RunStdio(server, in[0]);
  writer.join();
  close(outPipe[1]);
  collector.join();
  close(in[0]);
  close(outPipe[0]);
  smutil_lsp::MessageReader reader;
  std::vector<smutil_lsp::MessageReader::Event> events;
  reader.Feed(bytes, events);
  reader.Finish(events);
  for (const auto& e : events) {
    EXPECT_EQ(e.kind, smutil_lsp::MessageReader::Event::kMessage) << e.fault;
    out.push_back(json::parse(e.body));
  }
  return code;
}

TEST(Stdio, BrokenInputIsAnsweredAndTheSessionGoesOn) {
  const std::string input =
      "Content-Length: x\r\n\r\n" +                                                // a header that cannot be read
      Frame("initialize", 1, json::object()) + "Content-Length: 5\r\n\r\n{oops" +  // a body that is not JSON
      Frame("nothing/here", 2) + Frame("shutdown", 3) + Frame("exit") + Frame("shutdown", 4);  // after exit: not read
  std::vector<json> out;
  EXPECT_EQ(Serve(input, out), 0);
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[0]["error"]["code"], -32700);
  EXPECT_TRUE(out[0]["id"].is_null());
  EXPECT_NE(out[0]["error"]["message"].get<std::string>().find("Content-Length is not a number"), std::string::npos);
  EXPECT_EQ(out[1]["id"], 1);
  EXPECT_TRUE(out[1]["result"].contains("capabilities"));
  EXPECT_EQ(out[2]["error"]["code"], -32700);
  EXPECT_EQ(out[3]["id"], 2);
  EXPECT_EQ(out[3]["error"]["code"], -32601);
  EXPECT_EQ(out[4]["id"], 3);
}

TEST(Stdio, TheEndOfInputWithoutExitIsExitCodeOne) {
  std::vector<json> out;
  EXPECT_EQ(Serve(Frame("initialize", 1, json::object()) + "Content-Length: 100\r\n\r\n{", out), 1);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1]["error"]["code"], -32700);
}

// Changes that come in one burst are checked once, at the newest text.
TEST(Stdio, ABurstOfChangesIsCheckedOnce) {
  const std::string uri = "file:///burst.sql";
  std::string input =
      Frame("initialize", 1, json::object()) + Frame("initialized", nullptr, json::object()) +
      Frame("textDocument/didOpen", nullptr,
            {{"textDocument", {{"uri", uri}, {"languageId", "sql"}, {"version", 1}, {"text", "SELECT"}}}});
  for (int v = 2; v <= 40; ++v) {
    const char* text = v == 40 ? "SELECT Orders.Revenue FROM Sales" : "SELECT x FROM";
    input += Frame("textDocument/didChange", nullptr,
                   {{"textDocument", {{"uri", uri}, {"version", v}}}, {"contentChanges", {{{"text", text}}}}});
  }
  // Written at once, so the reader queues it all before the server looks.
  std::vector<json> out;
  EXPECT_EQ(Serve(input, out, Frame("shutdown", 2) + Frame("exit")), 0);
  std::vector<std::int64_t> versions;
  for (const json& m : out) {
    if (m.value("method", "") == "textDocument/publishDiagnostics") versions.push_back(m["params"]["version"]);
  }
  ASSERT_FALSE(versions.empty());
  EXPECT_EQ(versions.back(), 40);
  // Fewer checks than changes: the stale ones were dropped.
  EXPECT_LT(versions.size(), 10u);
}

}  // namespace
