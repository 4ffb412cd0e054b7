// smutil subst and smutil scripts: variable substitution as a connection
// would see it, with the session given on the command line.
//
//   $ smutil subst --session VX_SESSION.USER_REGION=North 'WHERE REGION = VALUEOF(0, VX_SESSION.USER_REGION)'
//   WHERE REGION = 'North'
//   $ smutil scripts --user anna.berg --list VX_SESSION.SALES_REGIONS=North,East '"Sales DW"."Variable Pool"'
//   post-connect	SET APP_USER = 'anna.berg'
//   ...
//
// subst expands one text (several words are joined with one blank); scripts
// prints the four personalized script lists of a connection pool, one
// "kind<TAB>script" line each (--format json: an object with the lists
// postConnect, preDisconnect, beforeQuery and afterQuery). Both take the
// session from --session BLOCK.NAME=VALUE (a single value) and --list
// BLOCK.NAME=V1,V2 (a list), each as often as needed. An undefined variable
// (subst --strict, and always for scripts) writes its message and exits 1.
#include <openssl/crypto.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "Utility/ErrorMessage.h"
#include "objectmodel/GatewayOptions.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/PropertyValue.h"

namespace smutil_tool {
namespace {

struct SessionOptions {
  std::vector<std::string> singles;  // BLOCK.NAME=VALUE
  std::vector<std::string> lists;    // BLOCK.NAME=V1,V2
};

// BLOCK.NAME=VALUE split into its three parts; false when it does not read so.
bool SplitAssignment(const std::string& text, std::string& block, std::string& name, std::string& value) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) return false;
  const std::size_t dot = text.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 >= eq) return false;
  block = text.substr(0, dot);
  name = text.substr(dot + 1, eq - dot - 1);
  value = text.substr(eq + 1);
  return true;
}

std::string CheckAssignment(const std::string& text) {
  std::string block, name, value;
  return SplitAssignment(text, block, name, value) ? std::string() : "expected BLOCK.NAME=VALUE, not \"" + text + "\"";
}

void AddSessionOptions(CLI::App& cmd, SessionOptions& o) {
  cmd.add_option("--session", o.singles, "a session variable with one value")
      ->type_name("BLOCK.NAME=VALUE")
      ->allow_extra_args(false)
      ->check(CheckAssignment);
  cmd.add_option("--list", o.lists, "a session variable with a list of values (empty after = for an empty list)")
      ->type_name("BLOCK.NAME=V1,V2")
      ->allow_extra_args(false)
      ->check(CheckAssignment);
}

void SetSession(ARpGateway& rp, const SessionOptions& o) {
  std::string block, name, value;
  for (const std::string& s : o.singles) {
    SplitAssignment(s, block, name, value);
    rp.SetSessionVariableValue({ToVXString(block), ToVXString(name)},
                               Heap<PropertyValue>(new PropertyValueString(ToVXString(value))));
  }
  for (const std::string& s : o.lists) {
    SplitAssignment(s, block, name, value);
    VXStringVector entries;
    std::size_t from = 0;
    while (!value.empty()) {
      const std::size_t comma = value.find(',', from);
      entries.push_back(ToVXString(value.substr(from, comma - from)));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    rp.SetSessionVariableValue({ToVXString(block), ToVXString(name)},
                               Heap<PropertyValue>(new PropertyValueStringVector(std::move(entries))));
  }
}

// ---- subst --------------------------------------------------------------------

struct SubstOptions {
  SessionOptions session;
  bool bStrict = false;
  bool bNoEscape = false;
  std::vector<std::string> words;
};

int RunSubst(Context& ctx, const SubstOptions& o) {
  std::string text = o.words.front();
  for (std::size_t i = 1; i < o.words.size(); ++i) text += " " + o.words[i];
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  SetSession(*rp, o.session);
  VXString wide = ToVXString(text);
  try {
    MetadataUtil::ReplaceVariableWithValue(rp.get(), wide, o.bStrict, false, !o.bNoEscape);
  } catch (const ErrorMessage& e) {
    WriteError(ctx.err, "subst", e.what());
    return kExitFailed;
  }
  ctx.out << ToNarrow(wide) << "\n";
  return kExitDone;
}

RunFn DeclareSubst(CLI::App& cmd, Context&) {
  auto o = std::make_shared<SubstOptions>();
  AddSessionOptions(cmd, o->session);
  cmd.add_flag("--strict", o->bStrict, "an undefined variable is an error (exit 1) instead of being removed");
  cmd.add_flag("--no-escape", o->bNoEscape, "leave single quotes in values as they are");
  cmd.add_option("TEXT", o->words, "the text; several words are joined with one blank")->required();
  return [o](Context& c) { return RunSubst(c, *o); };
}

SMUTIL_COMMAND("subst", "replace the variable references (VALUEOF, VALUELISTOF, VALUENAMEOF) in a text", DeclareSubst);

// ---- scripts ------------------------------------------------------------------

struct ScriptsOptions {
  SessionOptions session;
  std::string user;
  bool bUser = false;
  std::vector<std::string> words;
};

// The credentials user name replaced, the password kept.
void SetCredentialsUser(ARpGateway& rp, const std::string& user) {
  VXString oldUser, password;
  MetadataUtil::RetrieveUserNamePassword(&rp, oldUser, password);
  rp.SetRepositoryCredentials(ToVXString(user), password);
  OPENSSL_cleanse(password.data(), password.size() * sizeof(char32_t));
}

int RunScripts(Context& ctx, const ScriptsOptions& o) {
  const QualifiedName qname = QualifiedNameFromWords(o.words);
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  const Ref<AConnectionPool> pool(MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), kTIDAConnectionPool, qname));
  if (pool.IsNull()) {
    WriteError(ctx.err, "scripts",
               "no " + TypeLabel(kTIDAConnectionPool) + " named " + ToNarrow(MetadataUtil::ToQualifiedName(qname)) +
                   " in " + ctx.repoPath);
    ExplainSimilarNames(ctx, rp.get(), kTIDAConnectionPool, qname, "CONNECTION POOL");
    return kExitFailed;
  }
  SetSession(*rp, o.session);
  if (o.bUser) SetCredentialsUser(*rp, o.user);
  GatewayOptions options;
  try {
    MetadataUtil::Personalize(rp.get(), pool, options);
  } catch (const ErrorMessage& e) {
    WriteError(ctx.err, "scripts", e.what());
    return kExitFailed;
  }
  const std::pair<const char*, const VXStringVector*> lists[] = {
      {"post-connect", &options.m_postConnectStrings},
      {"pre-disconnect", &options.m_preDisconnectStrings},
      {"before-query", &options.m_beforeQueryStrings},
      {"after-query", &options.m_afterQueryStrings},
  };
  Emit(
      ctx,
      [&] {
        const char* const keys[] = {"postConnect", "preDisconnect", "beforeQuery", "afterQuery"};
        nlohmann::json doc = nlohmann::json::object();
        for (std::size_t i = 0; i < std::size(lists); ++i) {
          nlohmann::json scripts = nlohmann::json::array();
          for (const VXString& s : *lists[i].second) scripts.push_back(ToNarrow(s));
          doc[keys[i]] = std::move(scripts);
        }
        return doc;
      },
      [&](std::ostream& out) {
        for (const auto& [kind, scripts] : lists) {
          for (const VXString& s : *scripts) out << kind << '\t' << ToNarrow(s) << '\n';
        }
      });
  return kExitDone;
}

RunFn DeclareScripts(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<ScriptsOptions>();
  AddSessionOptions(cmd, o->session);
  cmd.add_option("--user", o->user, "the user name that :USER stands for (default: the repository's credentials)")
      ->type_name("NAME")
      ->each([o](const std::string&) { o->bUser = true; });
  cmd.add_option("POOL", o->words, "the connection pool's qualified name (\"Database\".\"Pool\")")->required();
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunScripts(c, *o); };
}

SMUTIL_COMMAND("scripts", "print a connection pool's connection scripts, personalized for a user and session",
               DeclareScripts);

}  // namespace
}  // namespace smutil_tool
