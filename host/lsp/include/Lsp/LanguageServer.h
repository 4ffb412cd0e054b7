// The language server for logical SQL: the protocol's lifecycle, open
// documents, and the answers an editor asks for, all against one loaded
// repository and one user, whose read security every answer respects.
//
//   smutil_lsp::ServerOptions options;
//   options.repoPath = "samples/sample.rpd.xml";
//   options.user = U"anna.berg";
//   smutil_lsp::LanguageServer server(options, [](const nlohmann::json& m) { Send(m); });
//   std::string why;
//   if (!server.LoadRepository(why)) ...;        // the reason names the file, line and column
//   server.Handle(message);                      // each message in the order it came
//   if (server.HasDeferredWork()) server.RunDeferredWork({});  // when no message waits
//
// Diagnostics are deferred: a change only marks its document, and the
// parse and bind run when the host finds no message waiting (RunStdio does
// this), so a burst of keystrokes is checked once, at its last version; a
// request that a later change or a $/cancelRequest has overtaken is
// answered without the work. Messages are handled on one thread: the
// repository's session (user, default subject area) is not shared.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Lsp/TextDocument.h"
#include "Metadata/SMLogicalSQL.h"
#include "Utility/VXString.h"

class ARpGateway;
class ObjectPlaces;

namespace smutil_lsp {

// Error codes of JSON-RPC and the protocol.
enum ErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
  kServerNotInitialized = -32002,
  kRequestFailed = -32803,
  kContentModified = -32801,
  kRequestCancelled = -32800,
};

struct ServerOptions {
  std::string repoPath;
  VXString user;  // empty: the repository's current user
  // Called with each freshly loaded repository before it is used, for the
  // host's session set-up (the display-name language and bundle strings).
  // False with a reason refuses the load.
  std::function<bool(ARpGateway*, std::string& why)> prepareSession;
};

// A loaded repository with where its objects stand in its file.
struct Workspace {
  std::unique_ptr<ARpGateway> rp;
  std::string path;                     // the file, absolute; empty for a repository built in code
  std::string uri;                      // file:// URI of path
  std::string text;                     // the file's bytes, for positions in it
  std::vector<std::size_t> lineStarts;  // byte offset of each line of text (LF, CR LF or CR)
  std::unique_ptr<ObjectPlaces> places;
  Workspace();
  Workspace(Workspace&&) noexcept;
  Workspace& operator=(Workspace&&) noexcept;
  ~Workspace();
};

// Reads the repository file; false with the reason (file, line, column).
bool LoadWorkspace(const std::string& path, Workspace& out, std::string& why);

// file:///abs/path for a path (made absolute), and back (empty when the URI
// is not a file URI). Reserved characters are percent-encoded.
std::string FileUri(const std::string& path);
std::string PathOfUri(std::string_view uri);

class LanguageServer {
 public:
  using Sink = std::function<void(const nlohmann::json&)>;
  LanguageServer(ServerOptions options, Sink sink);
  ~LanguageServer();

  // Loads options.repoPath (and prepares its session); the old repository
  // stays when the new one cannot be read.
  bool LoadRepository(std::string& why);
  // Uses a repository built elsewhere (tests, benchmarks).
  void SetWorkspace(Workspace workspace);

  // One message (a request, a notification or a response), parsed.
  void Handle(const nlohmann::json& message);
  // A body that is not JSON, or a framing fault: a ParseError response.
  void RefuseUnreadable(const std::string& why);
  // A request id that a $/cancelRequest named; its request, when it comes,
  // is answered RequestCancelled.
  void Cancel(const nlohmann::json& id);

  bool HasDeferredWork() const { return !m_dirty.empty(); }
  // Diagnostics of every changed document, unless superseded(uri) says a
  // newer change of it is already waiting.
  void RunDeferredWork(const std::function<bool(const std::string& uri)>& superseded);

  bool ExitRequested() const { return m_bExit; }
  // 0 after shutdown then exit, 1 for exit without shutdown.
  int ExitCode() const { return m_bShutdown ? 0 : 1; }

  // What the handlers answer, for tests and benchmarks: the same JSON the
  // client receives as the result.
  nlohmann::json Completion(const std::string& uri, const Position& at);
  nlohmann::json Hover(const std::string& uri, const Position& at);
  nlohmann::json Definition(const std::string& uri, const Position& at);
  nlohmann::json DocumentSymbols(const std::string& uri);
  nlohmann::json SignatureHelp(const std::string& uri, const Position& at);
  // The edits, or a message saying why there are none (the query has errors).
  nlohmann::json Formatting(const std::string& uri, std::string& refusal);
  // The diagnostics of a document as published.
  nlohmann::json Diagnostics(const std::string& uri);

  struct OpenDocument {
    TextDocument doc;
    // The bind of doc at boundVersion (names for hover and definition).
    std::optional<logical_sql::BindResult> bound;
    std::int64_t boundVersion = -1;
  };

 private:
  void HandleRequest(const nlohmann::json& id, const std::string& method, const nlohmann::json& params);
  void HandleNotification(const std::string& method, const nlohmann::json& params);
  nlohmann::json Initialize(const nlohmann::json& params);
  void DidChangeWatchedFiles(const nlohmann::json& params);
  void Reload();
  void Publish(const std::string& uri);
  OpenDocument* Find(const std::string& uri);
  const logical_sql::BindResult& Bound(OpenDocument& open);
  // The object a name under the cursor stands for, with that name and its
  // document; obj is null where the cursor is on no resolved name.
  struct CursorObject {
    OpenDocument* open = nullptr;
    const logical_sql::BoundName* name = nullptr;
    Ref<ARpObject> obj;
  };
  CursorObject ObjectUnderCursor(const std::string& uri, const Position& at);
  nlohmann::json LocationOf(const VoidID& id);
  void Respond(const nlohmann::json& id, nlohmann::json result);
  void RespondError(const nlohmann::json& id, int code, const std::string& message);
  void Notify(const std::string& method, nlohmann::json params);

  ServerOptions m_options;
  Sink m_sink;
  Workspace m_workspace;
  PositionEncoding m_encoding = PositionEncoding::kUtf16;
  bool m_bInitialized = false, m_bShutdown = false, m_bExit = false;
  std::map<std::string, OpenDocument> m_documents;
  std::set<std::string> m_dirty;      // documents whose diagnostics are due
  std::set<std::string> m_cancelled;  // request ids (as JSON text) cancelled before they came
};

// A sink that writes each message framed to a file descriptor.
LanguageServer::Sink FdSink(int fd);

// Serves the messages read from a file descriptor until exit or the end of
// input: a reader thread frames and parses them into a queue; this thread
// handles them in order and runs the deferred work when the queue is
// empty. Returns the exit code (ExitCode, or 1 at the end of input
// without exit).
int RunStdio(LanguageServer& server, int inFd);

}  // namespace smutil_lsp
