// The protocol's lifecycle, the open documents and the diagnostics.
#include "Lsp/LanguageServer.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Checks/ObjectPlaces.h"
#include "LspInternal.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVersion.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"

namespace smutil_lsp {

using nlohmann::json;
using namespace detail;

Workspace::Workspace() = default;
Workspace::Workspace(Workspace&&) noexcept = default;
Workspace& Workspace::operator=(Workspace&&) noexcept = default;
Workspace::~Workspace() = default;

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The id of a request as a key: its JSON text (ids are numbers or strings).
std::string IdKey(const json& id) { return id.dump(); }

}  // namespace

std::string FileUri(const std::string& path) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(path, ec);
  const std::string text = (ec ? std::filesystem::path(path) : abs.lexically_normal()).string();
  std::string uri = "file://";
  static const char* const kHex = "0123456789ABCDEF";
  for (unsigned char c : text) {
    if (IsUnreserved(c)) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::string PathOfUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return {};
  uri.remove_prefix(kScheme.size());
  // file://host/path: only the local host.
  if (!uri.empty() && uri.front() != '/') {
    const std::size_t slash = uri.find('/');
    if (uri.substr(0, slash) != "localhost") return {};
    uri.remove_prefix(slash == std::string_view::npos ? uri.size() : slash);
  }
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 && HexValue(uri[i + 2]) >= 0) {
      path += static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2]));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  return path;
}

bool LoadWorkspace(const std::string& path, Workspace& out, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = path + ": cannot be read";
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    why = path + ": cannot be read";
    return false;
  }
  Workspace w;
  try {
    w.rp = RpFile::LoadFromMemory(text.data(), text.size(), path);
  } catch (const RpFileError& e) {
    why = e.what();
    return false;
  }
  std::error_code ec;
  const std::filesystem::path abs = std::filesystem::absolute(path, ec);
  w.path = ec ? path : abs.lexically_normal().string();
  w.uri = FileUri(w.path);
  w.places = std::make_unique<ObjectPlaces>(text);
  w.text = std::move(text);
  w.lineStarts.push_back(0);
  for (std::size_t i = 0; i < w.text.size(); ++i) {
    if (w.text[i] == '\r' && i + 1 < w.text.size() && w.text[i + 1] == '\n') ++i;
    if (w.text[i] == '\n' || w.text[i] == '\r') w.lineStarts.push_back(i + 1);
  }
  out = std::move(w);
  return true;
}

LanguageServer::LanguageServer(ServerOptions options, Sink sink)
    : m_options(std::move(options)), m_sink(std::move(sink)) {}

LanguageServer::~LanguageServer() = default;

bool LanguageServer::LoadRepository(std::string& why) {
  Workspace w;
  if (!LoadWorkspace(m_options.repoPath, w, why)) return false;
  if (m_options.prepareSession && !m_options.prepareSession(w.rp.get(), why)) return false;
  // Completion reads as this user from the start, as the bind does.
  if (!m_options.user.empty() && !w.rp->SignOnAs(m_options.user)) {
    why = "the repository " + w.path + " has no user named " + ToNarrow(m_options.user);
    return false;
  }
  SetWorkspace(std::move(w));
  return true;
}

void LanguageServer::SetWorkspace(Workspace workspace) {
  m_workspace = std::move(workspace);
  // Every name may resolve otherwise now.
  for (auto& [uri, open] : m_documents) {
    open.bound.reset();
    open.boundVersion = -1;
    m_dirty.insert(uri);
  }
}

void LanguageServer::Respond(const json& id, json result) {
  m_sink(json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void LanguageServer::RespondError(const json& id, int code, const std::string& message) {
  m_sink(json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void LanguageServer::Notify(const std::string& method, json params) {
  m_sink(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void LanguageServer::RefuseUnreadable(const std::string& why) { RespondError(nullptr, kParseError, why); }

void LanguageServer::Cancel(const json& id) {
  if (!id.is_number_integer() && !id.is_string()) return;
  // Ids cancelled after their answer was sent are never used again; a
  // client that sends many such cancels does not make the set grow forever.
  if (m_cancelled.size() >= 1024) m_cancelled.clear();
  m_cancelled.insert(IdKey(id));
}

void LanguageServer::Handle(const json& message) {
  if (!message.is_object()) {
    RespondError(nullptr, kInvalidRequest, "a message is a JSON object");
    return;
  }
  const auto method = message.find("method");
  const auto id = message.find("id");
  const bool bValidId = id != message.end() && (id->is_number_integer() || id->is_string());
  if (method == message.end()) {
    // A response to what this server asked the client (registrations): nothing waits for it.
    if (id != message.end() && (message.contains("result") || message.contains("error"))) return;
    RespondError(bValidId ? *id : json(nullptr), kInvalidRequest, "a message without a method");
    return;
  }
  if (!method->is_string() || (id != message.end() && !bValidId)) {
    RespondError(bValidId ? *id : json(nullptr), kInvalidRequest,
                 !method->is_string() ? "the method is not a string" : "the id is neither a number nor a string");
    return;
  }
  static const json kNoParams = json::object();
  const auto paramsIt = message.find("params");
  const json& params = paramsIt == message.end() ? kNoParams : *paramsIt;
  const std::string name = method->get<std::string>();
  if (id == message.end()) {
    try {
      HandleNotification(name, params);
    } catch (const json::exception&) {
      // A notification has no answer; its malformed parameters drop it.
    }
    return;
  }
  if (m_cancelled.erase(IdKey(*id)) > 0) {
    RespondError(*id, kRequestCancelled, "the request was cancelled");
    return;
  }
  try {
    HandleRequest(*id, name, params);
  } catch (const json::exception& e) {
    RespondError(*id, kInvalidParams, std::string("the parameters of ") + name + " cannot be read: " + e.what());
  } catch (const std::exception& e) {
    RespondError(*id, kInternalError, std::string(name) + " failed: " + e.what());
  }
}

json LanguageServer::Initialize(const json& params) {
  // UTF-8 positions when the client offers them (no conversion), else the
  // protocol's default of UTF-16.
  m_encoding = PositionEncoding::kUtf16;
  if (const json* general = params.contains("capabilities") && params["capabilities"].contains("general")
                                ? &params["capabilities"]["general"]
                                : nullptr;
      general && general->contains("positionEncodings") && (*general)["positionEncodings"].is_array()) {
    for (const json& e : (*general)["positionEncodings"]) {
      if (e == "utf-8") m_encoding = PositionEncoding::kUtf8;
    }
  }
  json capabilities = {
      {"positionEncoding", m_encoding == PositionEncoding::kUtf8 ? "utf-8" : "utf-16"},
      {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
      {"completionProvider", {{"triggerCharacters", {".", "\""}}, {"resolveProvider", false}}},
      {"hoverProvider", true},
      {"definitionProvider", true},
      {"documentSymbolProvider", true},
      {"documentFormattingProvider", true},
      {"signatureHelpProvider", {{"triggerCharacters", {"(", ","}}, {"retriggerCharacters", {" "}}}},
  };
  return {{"capabilities", capabilities}, {"serverInfo", {{"name", "smutil lsp"}, {"version", SMUtilVersion()}}}};
}

void LanguageServer::HandleRequest(const json& id, const std::string& method, const json& params) {
  if (method == "initialize") {
    if (m_bInitialized) {
      RespondError(id, kInvalidRequest, "initialize was already received");
      return;
    }
    m_bInitialized = true;
    Respond(id, Initialize(params));
    return;
  }
  if (!m_bInitialized) {
    RespondError(id, kServerNotInitialized, "the first request must be initialize");
    return;
  }
  if (m_bShutdown) {
    RespondError(id, kInvalidRequest, "the server is shutting down");
    return;
  }
  if (method == "shutdown") {
    m_bShutdown = true;
    Respond(id, nullptr);
    return;
  }
  const auto uriOf = [&] { return params.at("textDocument").at("uri").get<std::string>(); };
  const auto at = [&] { return PositionFrom(params.at("position")); };
  if (method == "textDocument/completion") {
    Respond(id, Completion(uriOf(), at()));
  } else if (method == "textDocument/hover") {
    Respond(id, Hover(uriOf(), at()));
  } else if (method == "textDocument/definition") {
    Respond(id, Definition(uriOf(), at()));
  } else if (method == "textDocument/documentSymbol") {
    Respond(id, DocumentSymbols(uriOf()));
  } else if (method == "textDocument/signatureHelp") {
    Respond(id, SignatureHelp(uriOf(), at()));
  } else if (method == "textDocument/formatting") {
    std::string refusal;
    json edits = Formatting(uriOf(), refusal);
    if (!refusal.empty()) {
      RespondError(id, kRequestFailed, refusal);
    } else {
      Respond(id, std::move(edits));
    }
  } else {
    RespondError(id, kMethodNotFound, "no method " + method);
  }
}

void LanguageServer::HandleNotification(const std::string& method, const json& params) {
  if (method == "exit") {
    m_bExit = true;
    return;
  }
  if (!m_bInitialized || m_bShutdown) return;  // dropped, as the protocol says
  if (method == "initialized") {
    // Asks to be told of changes to the repository file, where the client
    // registers watchers at run time; a save in the editor tells too.
    if (!m_workspace.path.empty()) {
      m_sink(json{{"jsonrpc", "2.0"},
                  {"id", "watch-repository"},
                  {"method", "client/registerCapability"},
                  {"params",
                   {{"registrations",
                     {{{"id", "watch-repository"},
                       {"method", "workspace/didChangeWatchedFiles"},
                       {"registerOptions", {{"watchers", {{{"globPattern", m_workspace.path}}}}}}}}}}}});
    }
  } else if (method == "textDocument/didOpen") {
    const json& td = params.at("textDocument");
    const std::string uri = td.at("uri").get<std::string>();
    OpenDocument& open = m_documents[uri];
    open.doc = TextDocument(td.at("text").get<std::string>(), td.value("version", std::int64_t{0}));
    open.bound.reset();
    m_dirty.insert(uri);
  } else if (method == "textDocument/didChange") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    OpenDocument* open = Find(uri);
    if (!open) return;
    for (const json& change : params.at("contentChanges")) {
      if (change.contains("range")) {
        open->doc.Replace(RangeFrom(change.at("range")), change.at("text").get<std::string>(), m_encoding);
      } else {
        open->doc.SetText(change.at("text").get<std::string>());
      }
    }
    open->doc.SetVersion(params.at("textDocument").value("version", open->doc.Version() + 1));
    m_dirty.insert(uri);
  } else if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (m_documents.erase(uri) > 0) {
      m_dirty.erase(uri);
      Notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}});
    }
  } else if (method == "textDocument/didSave") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (!m_workspace.path.empty() && PathOfUri(uri) == m_workspace.path) Reload();
  } else if (method == "workspace/didChangeWatchedFiles") {
    DidChangeWatchedFiles(params);
  } else if (method == "$/cancelRequest") {
    Cancel(params.at("id"));
  }
  // Other notifications ($/setTrace, workspace/didChangeConfiguration, ...)
  // change nothing here.
}

void LanguageServer::DidChangeWatchedFiles(const json& params) {
  for (const json& change : params.at("changes")) {
    const std::string path = PathOfUri(change.at("uri").get<std::string>());
    std::error_code ec;
    if (!path.empty() && !m_workspace.path.empty() &&
        (path == m_workspace.path || std::filesystem::equivalent(path, m_workspace.path, ec))) {
      // Deleted (3): the repository in memory stays until the file is back.
      if (change.value("type", 2) != 3) Reload();
      return;
    }
  }
}

void LanguageServer::Reload() {
  std::string why;
  if (m_options.repoPath.empty()) return;
  if (!LoadRepository(why)) {
    Notify("window/showMessage",
           {{"type", 1}, {"message", "The repository was not reloaded (the loaded one stays): " + why}});
    return;
  }
  Notify("window/logMessage", {{"type", 3}, {"message", "Reloaded the repository " + m_workspace.path}});
}

LanguageServer::OpenDocument* LanguageServer::Find(const std::string& uri) {
  const auto it = m_documents.find(uri);
  return it == m_documents.end() ? nullptr : &it->second;
}

const logical_sql::BindResult& LanguageServer::Bound(OpenDocument& open) {
  if (!open.bound || open.boundVersion != open.doc.Version()) {
    open.bound = logical_sql::ParseAndBind(open.doc.Text(), m_workspace.rp.get(), m_options.user, {});
    open.boundVersion = open.doc.Version();
  }
  return *open.bound;
}

void LanguageServer::RunDeferredWork(const std::function<bool(const std::string& uri)>& superseded) {
  std::set<std::string> due;
  due.swap(m_dirty);
  for (const std::string& uri : due) {
    if (superseded && superseded(uri)) continue;  // its newer change will mark it again
    Publish(uri);
  }
}

json LanguageServer::Diagnostics(const std::string& uri) {
  OpenDocument* open = Find(uri);
  if (!open || !m_workspace.rp) return json::array();
  const logical_sql::BindResult& r = Bound(*open);
  json out = json::array();
  for (const logical_sql::Diagnostic& d : r.diagnostics) {
    json item{{"range", ToJson(open->doc.RangeOf(d.range.start.offset, d.range.end.offset, m_encoding))},
              {"severity", d.severity == logical_sql::Severity::kError ? 1 : 2},
              {"code", d.code},
              {"source", "smutil"},
              {"message", logical_sql::MessageLine(d)}};
    json related = json::array();
    for (const QualifiedNameIDPair& c : d.candidates) {
      json where = LocationOf(c.m_id);
      if (where.is_null()) continue;
      related.push_back(
          {{"location", where}, {"message", "could be " + ToNarrow(MetadataUtil::ToQualifiedName(c.m_qName))}});
    }
    for (const QualifiedName& q : d.suggestions) {
      // A suggestion names a column, a table or a subject area, written
      // from the subject area down or from the table down.
      Ref<ARpObject> obj;
      for (TypeID type : {kTIDAFolderAttr, kTIDAEntityFolder, kTIDACatalogFolder}) {
        obj = MetadataUtil::GetRpObjectFromQualifiedName(m_workspace.rp.get(), type, q);
        if (!obj.IsNull()) break;
      }
      if (obj.IsNull()) {
        // Written from the table down: under the subject area the query names.
        for (const logical_sql::BoundName& n : r.names) {
          if (n.kind != logical_sql::BoundName::kSubjectArea || n.outcome != logical_sql::kOK) continue;
          const Ref<ARpObject> area = m_workspace.rp->GetObject(n.id);
          if (area.IsNull()) continue;
          QualifiedName full;
          MetadataUtil::GenerateQualifiedName(area, full);
          full.insert(full.end(), q.begin(), q.end());
          for (TypeID type : {kTIDAFolderAttr, kTIDAEntityFolder}) {
            obj = MetadataUtil::GetRpObjectFromQualifiedName(m_workspace.rp.get(), type, full);
            if (!obj.IsNull()) break;
          }
          if (!obj.IsNull()) break;
        }
      }
      if (obj.IsNull()) continue;
      json where = LocationOf(obj->GetID());
      if (where.is_null()) continue;
      related.push_back(
          {{"location", where}, {"message", "did you mean " + ToNarrow(MetadataUtil::ToQualifiedName(q))}});
    }
    if (!related.empty()) item["relatedInformation"] = std::move(related);
    out.push_back(std::move(item));
  }
  return out;
}

void LanguageServer::Publish(const std::string& uri) {
  OpenDocument* open = Find(uri);
  if (!open) return;
  json diagnostics = Diagnostics(uri);
  Notify("textDocument/publishDiagnostics",
         {{"uri", uri}, {"version", open->doc.Version()}, {"diagnostics", std::move(diagnostics)}});
}

json LanguageServer::LocationOf(const VoidID& id) {
  if (!m_workspace.places || m_workspace.uri.empty()) return nullptr;
  const ObjectPlace* p = m_workspace.places->Find(id);
  if (!p) return nullptr;
  // The places count code points from 1; the client counts in its encoding
  // from 0, along the repository file's own lines.
  const auto lineText = [&](std::uint32_t line) -> std::string_view {
    if (line == 0 || line > m_workspace.lineStarts.size()) return {};
    const std::size_t at = m_workspace.lineStarts[line - 1];
    const std::size_t end =
        line < m_workspace.lineStarts.size() ? m_workspace.lineStarts[line] : m_workspace.text.size();
    return std::string_view(m_workspace.text).substr(at, end - at);
  };
  const auto convert = [&](std::uint32_t line, std::uint32_t column) {
    const std::string_view text = lineText(line);
    // Code points to bytes, then bytes to the client's units.
    std::size_t bytes = 0;
    for (std::uint32_t cp = 1; cp < column && bytes < text.size(); ++cp) {
      ++bytes;
      while (bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) ++bytes;
    }
    return Position{line - 1, UnitsOfBytes(text, bytes, m_encoding)};
  };
  return {{"uri", m_workspace.uri},
          {"range", ToJson(Range{convert(p->startLine, p->startColumn), convert(p->endLine, p->endColumn)})}};
}

}  // namespace smutil_lsp
