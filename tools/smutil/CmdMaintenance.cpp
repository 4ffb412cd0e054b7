// smutil rekey, sanitize and archive: the repository maintenance commands.
//
//   SMUTIL_OLD_PASSPHRASE=... SMUTIL_NEW_PASSPHRASE=... smutil rekey FILE [--out OUT]
//   smutil sanitize IN OUT
//   smutil archive IN OUT
//
// Pass phrases never come from the command line (other users can read it):
// from the environment, or else as lines on standard input, old first.
//
// "-" is standard input for FILE and IN and standard output for --out and
// OUT. rekey writes over FILE (it is meant to); sanitize and archive refuse
// an OUT that is IN. Outputs are replaced whole (see FileArgs.h).
#include <openssl/crypto.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <ostream>

#include "Commands.h"
#include "FileArgs.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
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

// A pass phrase from the environment or the next line of standard input
// (unless the repository comes from there).
bool ReadPassPhrase(Context& ctx, const char* envName, const char* what, bool bStdinIsFile, Secret& out) {
  if (const char* value = std::getenv(envName)) {
    out.text = value;
  } else if (bStdinIsFile) {
    WriteError(ctx.err, "rekey", std::string("no ") + what + " pass phrase: FILE is standard input, so set " + envName);
    return false;
  } else if (!std::getline(std::cin, out.text)) {
    WriteError(ctx.err, "rekey",
               std::string("no ") + what + " pass phrase: set " + envName +
                   " or give it as a line on standard input (old first, then new)");
    return false;
  }
  if (!out.text.empty() && out.text.back() == '\r') out.text.pop_back();
  if (out.text.empty()) {
    WriteError(ctx.err, "rekey", std::string("the ") + what + " pass phrase is empty");
    return false;
  }
  return true;
}

// An archive built in memory, to be written whole.
class BytesFile final : public AFile {
 public:
  long GetPosition() const override { return static_cast<long>(m_bytes.size()); }
  void Write(const uint8* data, std::size_t size) override {
    m_bytes.append(reinterpret_cast<const char*>(data), size);
  }
  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
};

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
  const bool bStdin = IsStdStream(o.file);
  if (!ReadPassPhrase(ctx, kOldPassEnv, "old", bStdin, oldPass) ||
      !ReadPassPhrase(ctx, kNewPassEnv, "new", bStdin, newPass)) {
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
      WriteError(ctx.err, "rekey",
                 "the old pass phrase does not open the sealed passwords of " + o.file +
                     " (or one of them is damaged); nothing was written");
      return kExitFailed;
    }
  }
  if (!SaveRepository(ctx, "rekey", *rp, target)) return kExitIO;
  StatusOf(ctx, target) << ShownInput(o.file) << ": " << count << " sealed passwords re-keyed, written to "
                        << ShownOutput(target) << "\n";
  return kExitDone;
}

RunFn DeclareRekey(CLI::App& cmd, Context&) {
  auto o = std::make_shared<RekeyOptions>();
  cmd.add_option("FILE", o->file, "the repository file whose sealed passwords are re-keyed (- for standard input)")
      ->required();
  cmd.add_option("--out", o->out, "write the result here instead of over FILE (- for standard output)")
      ->type_name("OUT");
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
  if (!CheckNotAnInput(ctx, "sanitize", o.out, {o.in})) return kExitUsage;
  Context in{o.in, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  MetadataUtil::ClearConnectionInfo(rp.get());
  if (!SaveRepository(ctx, "sanitize", *rp, o.out)) return kExitIO;
  const auto counted = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  StatusOf(ctx, o.out) << ShownInput(o.in) << ": connection details cleared from "
                       << counted(CountOfType(*rp, kTIDAConnectionPool), "connection pool", "connection pools")
                       << " and " << counted(CountOfType(*rp, kTIDALdapServer), "LDAP server", "LDAP servers")
                       << ", written to " << ShownOutput(o.out) << "\n";
  return kExitDone;
}

RunFn DeclareSanitize(CLI::App& cmd, Context&) {
  auto o = std::make_shared<CopyOptions>();
  cmd.add_option("IN", o->in, "the repository file (left unchanged; - for standard input)")->required();
  cmd.add_option("OUT", o->out, "the copy without connection details (- for standard output)")->required();
  return [o](Context& c) { return RunSanitize(c, *o); };
}

SMUTIL_COMMAND("sanitize", "copy a repository file without its connection details", DeclareSanitize);

// ---- archive -------------------------------------------------------------------

int RunArchive(Context& ctx, const CopyOptions& o) {
  if (!CheckNotAnInput(ctx, "archive", o.out, {o.in})) return kExitUsage;
  Context in{o.in, ctx.format, ctx.out, ctx.err};
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(in);
  if (!rp) return kExitIO;
  BytesFile file;
  ARpArchive archive(file);
  const int count = MetadataUtil::WriteToRPDAfterGroupingColumnsByTable(archive, Repository::AllObjects(*rp), nullptr);
  archive.Finish();
  if (!WriteOutput(ctx, "archive", o.out, "archive", file.Bytes())) return kExitIO;
  StatusOf(ctx, o.out) << ShownInput(o.in) << ": " << count << " objects written to the archive " << ShownOutput(o.out)
                       << "\n";
  return kExitDone;
}

RunFn DeclareArchive(CLI::App& cmd, Context&) {
  auto o = std::make_shared<CopyOptions>();
  cmd.add_option("IN", o->in, "the repository file (- for standard input)")->required();
  cmd.add_option("OUT", o->out, "the archive to write (- for standard output)")->required();
  return [o](Context& c) { return RunArchive(c, *o); };
}

SMUTIL_COMMAND("archive", "write a repository's objects to an archive, columns after their tables", DeclareArchive);

}  // namespace
}  // namespace smutil_tool
