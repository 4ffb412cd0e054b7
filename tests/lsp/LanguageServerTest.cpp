// The handlers against the sample repository, read as anna.berg, who may
// not read the subject area "Marketing Insights" nor "Orders"."Discount".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Lsp/LanguageServer.h"
#include "common/ScratchDir.h"

namespace {

using nlohmann::json;
using smutil_lsp::LanguageServer;
using smutil_lsp::Position;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
const std::string kQuery = "file:///q.sql";

struct Harness {
  std::vector<json> sent;
  LanguageServer server;

  explicit Harness(const std::string& repo = kSample, const std::string& user = "anna.berg")
      : server(Options(repo, user), [this](const json& m) { sent.push_back(m); }) {
    std::string why;
    EXPECT_TRUE(server.LoadRepository(why)) << why;
    server.Handle(
        {{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}});
    server.Handle({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}});
    sent.clear();
  }
  static smutil_lsp::ServerOptions Options(const std::string& repo, const std::string& user) {
    smutil_lsp::ServerOptions o;
    o.repoPath = repo;
    o.user = ToVXString(user);
    return o;
  }
  void Notify(const std::string& method, json params) {
    server.Handle({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
  }
  void Open(const std::string& text, const std::string& uri = kQuery) {
    Notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri}, {"languageId", "sql"}, {"version", 1}, {"text", text}}}});
  }
  void Change(int version, const std::string& text) {
    Notify("textDocument/didChange",
           {{"textDocument", {{"uri", kQuery}, {"version", version}}}, {"contentChanges", {{{"text", text}}}}});
  }
  // Each completion item's label, with the text at pointer in the item.
  std::map<std::string, std::string> ItemField(std::uint32_t character, const std::string& pointer) {
    std::map<std::string, std::string> out;
    const json completion = server.Completion(kQuery, Position{0, character});
    for (const json& i : completion["items"]) {
      out[i["label"]] = i[json::json_pointer(pointer)];
    }
    return out;
  }
  json Request(int id, const std::string& method, json params) {
    sent.clear();
    server.Handle({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}});
    EXPECT_EQ(sent.size(), 1u) << method;
    return sent.empty() ? json() : sent.back();
  }
  // The diagnostics published for uri by the deferred work.
  json Published(const std::string& uri = kQuery) {
    sent.clear();
    server.RunDeferredWork({});
    for (const json& m : sent) {
      if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri) {
        return m["params"]["diagnostics"];
      }
    }
    ADD_FAILURE() << "nothing published for " << uri;
    return json();
  }
  std::vector<std::string> CompletionLabels(const std::string& text) {
    const std::size_t at = text.find('|');
    std::string plain = text;
    plain.erase(at, 1);
    Open(plain);
    // One line queries: the character is the byte offset for ASCII text.
    const json items = server.Completion(kQuery, Position{0, static_cast<std::uint32_t>(at)})["items"];
    std::vector<std::string> labels;
    for (const json& i : items) labels.push_back(i["label"]);
    return labels;
  }
};

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(LanguageServerLifecycle, RequestsBeforeInitializeAfterShutdownAndUnknownMethods) {
  std::vector<json> sent;
  LanguageServer server(Harness::Options(kSample, ""), [&](const json& m) { sent.push_back(m); });
  std::string why;
  ASSERT_TRUE(server.LoadRepository(why)) << why;
  server.Handle({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "textDocument/hover"}, {"params", json::object()}});
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["error"]["code"], -32002);
  server.Handle({{"jsonrpc", "2.0"}, {"id", "a"}, {"method", "initialize"}, {"params", json::object()}});
  EXPECT_EQ(sent[1]["id"], "a");
  EXPECT_EQ(sent[1]["result"]["serverInfo"]["name"], "smutil lsp");
  EXPECT_EQ(sent[1]["result"]["capabilities"]["positionEncoding"], "utf-16");
  server.Handle({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "initialize"}, {"params", json::object()}});
  EXPECT_EQ(sent[2]["error"]["code"], -32600);
  server.Handle({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "workspace/symbol"}, {"params", json::object()}});
  EXPECT_EQ(sent[3]["error"]["code"], -32601);
  // Parameters of the wrong shape: InvalidParams, not a crash.
  server.Handle({{"jsonrpc", "2.0"}, {"id", 4}, {"method", "textDocument/hover"}, {"params", {{"textDocument", 7}}}});
  EXPECT_EQ(sent[4]["error"]["code"], -32602);
  // A notification with bad parameters is dropped without an answer.
  server.Handle({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"}, {"params", {{"textDocument", "x"}}}});
  EXPECT_EQ(sent.size(), 5u);
  server.Handle(json::array({1, 2}));
  EXPECT_EQ(sent[5]["error"]["code"], -32600);
  EXPECT_TRUE(sent[5]["id"].is_null());
  server.Handle({{"jsonrpc", "2.0"}, {"id", 5}, {"method", "shutdown"}});
  EXPECT_TRUE(sent[6]["result"].is_null());
  EXPECT_TRUE(sent[6].contains("result"));
  server.Handle({{"jsonrpc", "2.0"}, {"id", 6}, {"method", "textDocument/hover"}, {"params", json::object()}});
  EXPECT_EQ(sent[7]["error"]["code"], -32600);
  EXPECT_FALSE(server.ExitRequested());
  server.Handle({{"jsonrpc", "2.0"}, {"method", "exit"}});
  EXPECT_TRUE(server.ExitRequested());
  EXPECT_EQ(server.ExitCode(), 0);
}

TEST(LanguageServerLifecycle, ExitWithoutShutdownIsExitCodeOne) {
  Harness h;
  h.server.Handle({{"jsonrpc", "2.0"}, {"method", "exit"}});
  EXPECT_TRUE(h.server.ExitRequested());
  EXPECT_EQ(h.server.ExitCode(), 1);
}

TEST(LanguageServerLifecycle, AnUnknownUserRefusesTheLoad) {
  std::vector<json> sent;
  LanguageServer server(Harness::Options(kSample, "nobody"), [&](const json& m) { sent.push_back(m); });
  std::string why;
  EXPECT_FALSE(server.LoadRepository(why));
  EXPECT_NE(why.find("no user named nobody"), std::string::npos) << why;
}

TEST(LanguageServerLifecycle, ACancelledRequestIsAnsweredWithoutTheWork) {
  Harness h;
  h.Open("SELECT Orders.Revenue FROM Sales");
  h.server.Cancel(json(42));
  const json hover = {{"textDocument", {{"uri", kQuery}}}, {"position", {{"line", 0}, {"character", 16}}}};
  EXPECT_EQ(h.Request(42, "textDocument/hover", hover)["error"]["code"], -32800);
  // Only that one: the same id again is answered.
  EXPECT_TRUE(h.Request(42, "textDocument/hover", hover).contains("result"));
}

TEST(LanguageServerDiagnostics, ChangesAreCheckedOnceAtTheirLastVersion) {
  Harness h;
  h.Open("SELECT Orders.Revenu FROM Sales");
  for (int v = 2; v <= 5; ++v) h.Change(v, v == 5 ? "SELECT Orders.Revenue FROM Sales" : "SELECT x");
  EXPECT_TRUE(h.sent.empty());  // nothing is checked until the burst is over
  h.server.RunDeferredWork({});
  ASSERT_EQ(h.sent.size(), 1u);
  EXPECT_EQ(h.sent[0]["params"]["version"], 5);
  EXPECT_EQ(h.sent[0]["params"]["diagnostics"], json::array());
  // A change that is already waiting supersedes the check of the older text.
  h.Change(6, "SELECT");
  h.sent.clear();
  h.server.RunDeferredWork([](const std::string&) { return true; });
  EXPECT_TRUE(h.sent.empty());
}

TEST(LanguageServerDiagnostics, FaultsWithCodesRangesAndRelatedPlaces) {
  Harness h;
  struct Case {
    const char* text;
    const char* code;
    int startCharacter, endCharacter;
    std::vector<int> relatedLines;  // 0-based lines of the sample's objects
  };
  const Case cases[] = {
      // The column she may not read: said so, and no place of it given.
      {"SELECT Orders.Discount FROM Sales", "sql.name.inaccessible-column", 7, 22, {}},
      // Two tables carry "Net Revenue": both are candidates (Orders' on line 690, Margins' on 733).
      {"SELECT \"Net Revenue\" FROM Sales", "sql.name.ambiguous-column", 7, 20, {689, 732}},
      // A misspelt column: the one meant, line 685.
      {"SELECT Orders.Revenu FROM Sales", "sql.name.nonexistent-column", 7, 20, {684}},
  };
  for (const Case& c : cases) {
    h.Open(c.text);
    const json ds = h.Published();
    ASSERT_EQ(ds.size(), 1u) << c.text << "\n" << ds.dump(1);
    const json& d = ds[0];
    EXPECT_EQ(d["code"], c.code) << c.text;
    EXPECT_EQ(d["severity"], 1);
    EXPECT_EQ(d["source"], "smutil");
    EXPECT_EQ(d["range"]["start"], json({{"line", 0}, {"character", c.startCharacter}})) << c.text;
    EXPECT_EQ(d["range"]["end"], json({{"line", 0}, {"character", c.endCharacter}})) << c.text;
    std::vector<int> lines;
    for (const json& r : d.value("relatedInformation", json::array())) {
      EXPECT_EQ(r["location"]["uri"], smutil_lsp::FileUri(kSample));
      lines.push_back(r["location"]["range"]["start"]["line"]);
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, c.relatedLines) << c.text << "\n" << d.dump(1);
  }
  // Closing a document clears what was shown for it.
  h.sent.clear();
  h.Notify("textDocument/didClose", {{"textDocument", {{"uri", kQuery}}}});
  ASSERT_EQ(h.sent.size(), 1u);
  EXPECT_EQ(h.sent[0]["params"]["diagnostics"], json::array());
}

TEST(LanguageServerCompletion, WhatTheUserMayReadInTheScopeTyped) {
  Harness h;
  // Subject areas after FROM, without the one she may not read.
  auto labels = h.CompletionLabels("SELECT a FROM |");
  EXPECT_TRUE(Has(labels, "Sales Analysis"));
  EXPECT_TRUE(Has(labels, "Finance Archive"));
  EXPECT_FALSE(Has(labels, "Marketing Insights"));
  EXPECT_FALSE(Has(labels, "SUM"));
  // The tables of the FROM subject area (Sales is an alias of Sales Analysis), then functions and keywords.
  labels = h.CompletionLabels("SELECT | FROM Sales");
  for (const char* t : {"Orders", "Customers", "Products", "Time", "Margins", "SUM", "COUNT", "CASE", "DISTINCT"}) {
    EXPECT_TRUE(Has(labels, t)) << t;
  }
  EXPECT_FALSE(Has(labels, "Ledger"));  // Finance's table, not in this FROM
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"SELECT a FROM Fin|", {"Finance", "Finance Archive"}},
      // A table's columns, without Discount.
      {"SELECT Orders.| FROM Sales", {"Order Id", "Quantity", "Revenue", "Net Revenue", "Order Count", "Status"}},
      {"SELECT Orders.Re| FROM Sales", {"Revenue"}},
      // The table by a former name, and under a subject area written out.
      {"SELECT Clients.C| FROM \"Sales Analysis\"", {"Customer Name", "City", "Country"}},
      {"SELECT \"Sales Analysis\".Customers.Reg| FROM \"Sales Analysis\"", {"Region"}},
      // A subject area as qualifier: its tables.
      {"SELECT Finance.| FROM Finance", {"Ledger", "Journal Entries"}},
      // The columns of a derived table.
      {"SELECT t.| FROM (SELECT Products.Category, SUM(Orders.Revenue) AS Total FROM Sales) t", {"Category", "Total"}},
      // Nothing inside a string or a comment.
      {"SELECT 'Orders.| FROM Sales", {}},
      {"SELECT a -- Orders.|\nFROM Sales", {}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(h.CompletionLabels(text), expected) << text;
}

TEST(LanguageServerCompletion, InsertedTextIsQuotedWhereTheRulesNeedIt) {
  Harness h;
  h.Open("SELECT Orders.\"Ord FROM Sales");
  json items = h.server.Completion(kQuery, Position{0, 18})["items"];
  ASSERT_EQ(items.size(), 2u) << items.dump(1);
  // The opened quote is replaced with the whole quoted name.
  EXPECT_EQ(items[0]["label"], "Order Id");
  EXPECT_EQ(items[0]["textEdit"]["newText"], "\"Order Id\"");
  EXPECT_EQ(items[0]["textEdit"]["range"]["start"]["character"], 14);
  EXPECT_EQ(items[0]["textEdit"]["range"]["end"]["character"], 18);
  EXPECT_EQ(items[0]["filterText"], "\"Order Id");
  h.Open("SELECT Time. FROM Sales");
  auto inserted = h.ItemField(12, "/textEdit/newText");
  // Reserved words (the names of functions among them) are quoted.
  EXPECT_EQ(inserted["Month"], "\"Month\"");
  EXPECT_EQ(inserted["Year"], "\"Year\"");
  h.Open("SELECT Orders. FROM Sales");
  inserted = h.ItemField(14, "/textEdit/newText");
  EXPECT_EQ(inserted["Quantity"], "Quantity");
  EXPECT_EQ(inserted["Order Id"], "\"Order Id\"");
}

TEST(LanguageServerCompletion, DetailsNameTheTypeAndTheDisplayName) {
  Harness h;
  h.Open("SELECT  FROM Sales");
  auto detail = h.ItemField(7, "/detail");
  EXPECT_EQ(detail["Orders"], "(presentation table)");
  EXPECT_EQ(detail["Customers"], "Kunden & M\xC3\xA4rkte (presentation table)");
  EXPECT_EQ(detail["SUBSTRING"].substr(0, 10), "SUBSTRING(");
  EXPECT_EQ(detail["DISTINCT"], "keyword");
}

TEST(LanguageServerNavigation, HoverAndDefinitionOfEachPartOfAName) {
  Harness h;
  const std::string text = "SELECT \"Sales Analysis\".Orders.Revenue FROM Sales";
  h.Open(text);
  const json hover = h.server.Hover(kQuery, Position{0, 33});
  ASSERT_TRUE(hover.is_object()) << hover.dump();
  const std::string md = hover["contents"]["value"];
  EXPECT_NE(md.find("**presentation column** `\"Sales Analysis\"..\"Orders\".\"Revenue\"`"), std::string::npos) << md;
  EXPECT_NE(md.find("Quantity times unit price, less discount."), std::string::npos) << md;
  EXPECT_NE(md.find("Logical column"), std::string::npos) << md;
  EXPECT_NE(md.find("Dictionary: `"), std::string::npos) << md;
  struct Case {
    std::uint32_t character;
    int line;  // 0-based line of the object in the sample
  };
  const Case cases[] = {{33, 684}, {26, 651}, {10, 618}, {44, 618}};
  for (const Case& c : cases) {
    const json where = h.server.Definition(kQuery, Position{0, c.character});
    ASSERT_TRUE(where.is_object()) << c.character;
    EXPECT_EQ(where["uri"], smutil_lsp::FileUri(kSample));
    EXPECT_EQ(where["range"]["start"]["line"], c.line) << c.character;
    EXPECT_EQ(where["range"]["start"]["character"], 2) << c.character;
  }
  EXPECT_TRUE(h.server.Definition(kQuery, Position{0, 2}).is_null());  // on SELECT
  EXPECT_TRUE(h.server.Hover(kQuery, Position{0, 2}).is_null());
  // A name that does not resolve has nothing to show.
  h.Open("SELECT Orders.Discount FROM Sales");
  EXPECT_TRUE(h.server.Hover(kQuery, Position{0, 16}).is_null());
}

TEST(LanguageServerNavigation, SymbolsAreTheSelectItemsAndTheirAliases) {
  Harness h;
  h.Open(
      "SELECT Customers.Region,\n  SUM(Orders.Revenue) AS Total\nFROM (SELECT Products.Category FROM Sales) t, Sales");
  const json symbols = h.server.DocumentSymbols(kQuery);
  ASSERT_EQ(symbols.size(), 3u) << symbols.dump(1);
  EXPECT_EQ(symbols[0]["name"], "Customers.Region");
  EXPECT_EQ(symbols[1]["name"], "Total");
  EXPECT_EQ(symbols[1]["detail"], "SUM(Orders.Revenue)");
  EXPECT_EQ(symbols[1]["selectionRange"]["start"], json({{"line", 1}, {"character", 25}}));
  EXPECT_EQ(symbols[2]["name"], "t");
  ASSERT_EQ(symbols[2]["children"].size(), 1u);
  EXPECT_EQ(symbols[2]["children"][0]["name"], "Products.Category");
  h.Open("SELECT a FROM x UNION SELECT b FROM y");
  const json set = h.server.DocumentSymbols(kQuery);
  ASSERT_EQ(set.size(), 2u);
  EXPECT_EQ(set[1]["name"], "query 2");
  EXPECT_EQ(set[1]["children"][0]["name"], "b");
}

TEST(LanguageServerNavigation, SignatureHelpFollowsTheParameter) {
  Harness h;
  h.Open("SELECT SUBSTRING(Customers.City FROM 1) FROM Sales");
  json help = h.server.SignatureHelp(kQuery, Position{0, 20});
  ASSERT_TRUE(help.is_object());
  EXPECT_EQ(help["activeParameter"], 0);
  help = h.server.SignatureHelp(kQuery, Position{0, 37});
  EXPECT_EQ(help["activeParameter"], 1);
  const json& sig = help["signatures"][help["activeSignature"].get<int>()];
  const std::string label = sig["label"];
  const auto p = sig["parameters"][1]["label"];
  EXPECT_EQ(label.substr(p[0].get<std::size_t>(), p[1].get<std::size_t>() - p[0].get<std::size_t>()), "expr2");
  EXPECT_TRUE(h.server.SignatureHelp(kQuery, Position{0, 5}).is_null());
}

TEST(LanguageServerFormatting, RewritesInFullKeepsTheLeadingCommentAndRefusesBrokenQueries) {
  Harness h;
  h.Open("-- note\nselect Orders.Revenue from Sales\n");
  std::string refusal;
  const json edits = h.server.Formatting(kQuery, refusal);
  ASSERT_TRUE(refusal.empty()) << refusal;
  ASSERT_EQ(edits.size(), 1u);
  const std::string text = edits[0]["newText"];
  EXPECT_EQ(text.substr(0, 8), "-- note\n");
  EXPECT_NE(text.find("\"Orders\".\"Revenue\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"Sales Analysis\""), std::string::npos) << text;
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(edits[0]["range"]["end"], json({{"line", 2}, {"character", 0}}));
  h.Open("SELECT Orders.Revenu FROM Sales");
  EXPECT_TRUE(h.server.Formatting(kQuery, refusal).is_null());
  EXPECT_NE(refusal.find("line 1, column 8"), std::string::npos) << refusal;
  const json r =
      h.Request(9, "textDocument/formatting", {{"textDocument", {{"uri", kQuery}}}, {"options", json::object()}});
  EXPECT_EQ(r["error"]["code"], -32803);
}

TEST(LanguageServerReload, AChangedRepositoryFileIsReadAgainAndABrokenOneKeepsTheOld) {
  const testutil::ScratchDir dir;
  const std::filesystem::path repo = dir.Path("repo.rpd.xml");
  std::filesystem::copy_file(kSample, repo, std::filesystem::copy_options::overwrite_existing);
  Harness h(repo.string());
  EXPECT_TRUE(Has(h.CompletionLabels("SELECT Orders.Sta| FROM Sales"), "Status"));
  // Rename Status in the file, tell the server: the new name is offered.
  std::string s = testutil::ReadFile(repo);
  const std::string from = "name=\"Status\" parent=\"4008:1\"";
  ASSERT_NE(s.find(from), std::string::npos);
  s.replace(s.find(from), from.size(), "name=\"State\" parent=\"4008:1\"");
  std::ofstream(repo, std::ios::trunc) << s;
  const json change = {{"changes", {{{"uri", smutil_lsp::FileUri(repo.string())}, {"type", 2}}}}};
  h.Notify("workspace/didChangeWatchedFiles", change);
  EXPECT_EQ(h.CompletionLabels("SELECT Orders.Sta| FROM Sales"), (std::vector<std::string>{"State"}));
  // A broken file: said so, and the loaded repository stays.
  std::ofstream(repo, std::ios::trunc) << "<repository format=\"1\"><object id=";
  h.sent.clear();
  h.Notify("workspace/didChangeWatchedFiles", change);
  ASSERT_FALSE(h.sent.empty());
  EXPECT_EQ(h.sent[0]["method"], "window/showMessage");
  EXPECT_NE(h.sent[0]["params"]["message"].get<std::string>().find("repo.rpd.xml"), std::string::npos);
  EXPECT_EQ(h.CompletionLabels("SELECT Orders.Sta| FROM Sales"), (std::vector<std::string>{"State"}));
  // A save of the repository in the editor reloads too.
  std::filesystem::copy_file(kSample, repo, std::filesystem::copy_options::overwrite_existing);
  h.Notify("textDocument/didSave", {{"textDocument", {{"uri", smutil_lsp::FileUri(repo.string())}}}});
  EXPECT_EQ(h.CompletionLabels("SELECT Orders.Sta| FROM Sales"), (std::vector<std::string>{"Status"}));
}

TEST(LanguageServerUris, FileUrisRoundTrip) {
  EXPECT_EQ(smutil_lsp::FileUri("/tmp/a b/é.sql"), "file:///tmp/a%20b/%C3%A9.sql");
  EXPECT_EQ(smutil_lsp::PathOfUri("file:///tmp/a%20b/%C3%A9.sql"), "/tmp/a b/\xC3\xA9.sql");
  EXPECT_EQ(smutil_lsp::PathOfUri("file://localhost/x"), "/x");
  EXPECT_EQ(smutil_lsp::PathOfUri("untitled:Untitled-1"), "");
  EXPECT_EQ(smutil_lsp::PathOfUri("file:///x%2"), "/x%2");
}

}  // namespace
