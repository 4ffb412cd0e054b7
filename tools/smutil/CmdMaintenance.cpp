// smutil rekey, sanitize and archive: the repository maintenance commands.
//
//   SMUTIL_OLD_PASSPHRASE=... SMUTIL_NEW_PASSPHRASE=... smutil rekey FILE [--out OUT]
//   smutil sanitize IN OUT
//   smutil archive IN OUT
//
// Pass phrases never come from the command line (other users can read it):
// from the environment, or else as lines on standard input, old first.
#include <openssl/crypto.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <ostream>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "RepoLoad.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

constexpr const char* kOldPassEnv = "SMUTIL_OLD_PASSPHRASE";
constexpr const char* kNewPassEnv = "SMUTIL_NEW_PASSPHRASE";

// Text that is wiped when it goes away.
struct Secret {
  std::string text;
  Secret() = default;
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;
  ~Secret() {
    if (!text.empty()) OPENSSL_cleanse(text.data(), text.size());
  }
};
struct WideSecret {
  VXString text;
  explicit WideSecret(const std::string& narrow) : text(ToVXString(narrow)) {}
  WideSecret(const WideSecret&) = delete;
  WideSecret& operator=(const WideSecret&) = delete;
  ~WideSecret() {
    if (!text.empty()) OPENSSL_cleanse(text.data(), text.size() * sizeof(char32_t));
  }
};

// A pass phrase from the environment or the next line of standard input.
bool ReadPassPhrase(Context& ctx, const char* envName, const char* what, Secret& out) {
  if (const char* value = std::getenv(envName)) {
    out.text = value;
  } else if (!std::getline(std::cin, out.text)) {
    ctx.err << "smutil rekey: no " << what << " pass phrase: set " << envName
            << " or give it as a line on standard input (old first, then new)\n";
    return false;
  }
  if (!out.text.empty() && out.text.back() == '\r') out.text.pop_back();
  if (out.text.empty()) {
    ctx.err << "smutil rekey: the " << what << " pass phrase is empty\n";
    return false;
  }
  return true;
}

// Saves rp to path; false (with the reason on ctx.err) when that fails.
bool SaveOrExplain(Context& ctx, const char* command, ARpGateway& rp, const std::string& path) {
  try {
    RpFile::Save(rp, path);
    return true;
  } catch (const RpFileError& e) {
    ctx.err << "smutil " << command << ": " << e.GetMessage() << "\n";
    return false;
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec) && !ec;
}

std::size_t CountOfType(ARpGateway& rp, TypeID type) {
  VoidIDVector ids;
  rp.GetObjectIDsOfType(type, ids);
  return ids.size();
}

// ---- rekey ---------------------------------------------------------------------

struct RekeyOptions {
  std::string file, out;
};

int RunRekey(Context& ctx, const RekeyOptions& o) {
  Secret oldPass, newPass;
  if (!ReadPassPhrase(ctx, kOldPassEnv, "old", oldPass) || !ReadPassPhrase(ctx, kNewPassEnv, "new", newPass)) {
    return kExitFailed;
  }
  Context in{o.file, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  const std::string target = o.out.empty() ? o.file : o.out;
  std::size_t count = 0;
  {
    const WideSecret oldWide(oldPass.text), newWide(newPass.text);
    if (!MetadataUtil::RekeyRepository(rp.get(), oldWide.text, newWide.text, count)) {
      ctx.err << "smutil rekey: the old pass phrase does not open the sealed passwords of " << o.file
              << " (or one of them is damaged); nothing was written\n";
      return kExitFailed;
    }
  }
  if (!SaveOrExplain(ctx, "rekey", *rp, target)) return kExitIO;
  ctx.out << o.file << ": " << count << " sealed passwords re-keyed, written to " << target << "\n";
  return kExitDone;
}

RunFn DeclareRekey(CLI::App& cmd, Context&) {
  auto o = std::make_shared<RekeyOptions>();
  cmd.add_option("FILE", o->file, "the repository file whose sealed passwords are re-keyed")->required();
  cmd.add_option("--out", o->out, "write the result here instead of over FILE")->type_name("OUT");
  cmd.footer(std::string("Pass phrases: ") + kOldPassEnv + " and " + kNewPassEnv +
             ", or two lines on standard input (old, then new).");
  return [o](Context& c) { return RunRekey(c, *o); };
}

SMUTIL_COMMAND("rekey", "re-key the sealed passwords of a repository file to a new pass phrase", DeclareRekey);

// ---- sanitize ------------------------------------------------------------------

struct CopyOptions {
  std::string in, out;
};

int RunSanitize(Context& ctx, const CopyOptions& o) {
  if (SameFile(o.in, o.out)) {
    ctx.err << "smutil sanitize: OUT is the input file " << o.in << "; write the copy to another file\n";
    return kExitUsage;
  }
  Context in{o.in, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  MetadataUtil::ClearConnectionInfo(rp.get());
  if (!SaveOrExplain(ctx, "sanitize", *rp, o.out)) return kExitIO;
  const auto counted = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  ctx.out << o.in << ": connection details cleared from "
          << counted(CountOfType(*rp, kTIDAConnectionPool), "connection pool", "connection pools") << " and "
          << counted(CountOfType(*rp, kTIDALdapServer), "LDAP server", "LDAP servers") << ", written to " << o.out
          << "\n";
  return kExitDone;
}

RunFn DeclareSanitize(CLI::App& cmd, Context&) {
  auto o = std::make_shared<CopyOptions>();
  cmd.add_option("IN", o->in, "the repository file (left unchanged)")->required();
  cmd.add_option("OUT", o->out, "the copy without connection details")->required();
  return [o](Context& c) { return RunSanitize(c, *o); };
}

SMUTIL_COMMAND("sanitize", "copy a repository file without its connection details", DeclareSanitize);

// ---- archive -------------------------------------------------------------------

int RunArchive(Context& ctx, const CopyOptions& o) {
  Context in{o.in, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  int count = 0;
  try {
    DiskFile file(o.out);
    ARpArchive archive(file);
    count = MetadataUtil::WriteToRPDAfterGroupingColumnsByTable(archive, Repository::AllObjects(*rp), nullptr);
    file.Close();
  } catch (const ArchiveError& e) {
    ctx.err << "smutil archive: " << e.what() << "\n";
    return kExitIO;
  }
  ctx.out << o.in << ": " << count << " objects written to the archive " << o.out << "\n";
  return kExitDone;
}

RunFn DeclareArchive(CLI::App& cmd, Context&) {
  auto o = std::make_shared<CopyOptions>();
  cmd.add_option("IN", o->in, "the repository file")->required();
  cmd.add_option("OUT", o->out, "the archive to write")->required();
  return [o](Context& c) { return RunArchive(c, *o); };
}

SMUTIL_COMMAND("archive", "write a repository's objects to an archive, columns after their tables", DeclareArchive);

}  // namespace
}  // namespace smutil_tool
