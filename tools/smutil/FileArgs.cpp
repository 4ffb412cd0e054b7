#include "FileArgs.h"

#include <iostream>
#include <ostream>

#include "Output.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {
// What standard input was read as, once it was.
std::string& StdinTakenBy() {
  static std::string what;
  return what;
}

bool ReadStandardInput(Context& ctx, const char* command, const char* what, std::string& bytes, std::size_t maxBytes) {
  if (!StdinTakenBy().empty()) {
    WriteError(ctx.err, command,
               std::string("standard input is already read as the ") + StdinTakenBy() + "; the " + what +
                   " cannot be read from it too: name a file");
    return false;
  }
  StdinTakenBy() = what;
  bytes.clear();
  char chunk[1 << 16];
  while (std::cin.read(chunk, sizeof chunk) || std::cin.gcount() > 0) {
    bytes.append(chunk, static_cast<std::size_t>(std::cin.gcount()));
    if (bytes.size() > maxBytes) {
      WriteError(ctx.err, command,
                 std::string("cannot read the ") + what + " from standard input: it is larger than " +
                     std::to_string(maxBytes >> 20) + " MiB");
      return false;
    }
  }
  if (std::cin.bad()) {
    WriteError(ctx.err, command, std::string("cannot read the ") + what + " from standard input");
    return false;
  }
  return true;
}
}  // namespace

std::string ShownInput(const std::string& path) { return IsStdStream(path) ? "standard input" : path; }
std::string ShownOutput(const std::string& path) { return IsStdStream(path) ? "standard output" : path; }

bool ReadInput(Context& ctx, const char* command, const std::string& path, const char* what, std::string& bytes,
               std::size_t maxBytes) {
  if (IsStdStream(path)) return ReadStandardInput(ctx, command, what, bytes, maxBytes);
  try {
    bytes = SUFileUtility::ReadRegularFile(path, what, maxBytes);
    return true;
  } catch (const SUFileUtility::SUFileError& e) {
    WriteError(ctx.err, command, e.what());
    return false;
  }
}

bool CheckInputFile(Context& ctx, const char* command, const std::string& path, const char* what, bool bMayBeMissing) {
  if (IsStdStream(path)) {
    WriteError(ctx.err, command, std::string("the ") + what + " cannot be read from standard input: name a file");
    return false;
  }
  try {
    SUFileUtility::CheckRegularFile(path, what, bMayBeMissing);
    return true;
  } catch (const SUFileUtility::SUFileError& e) {
    WriteError(ctx.err, command, e.what());
    return false;
  }
}

bool CheckNotAnInput(Context& ctx, const char* command, const std::string& out,
                     const std::vector<std::string>& inputs) {
  if (IsStdStream(out)) return true;
  for (const std::string& in : inputs) {
    if (IsStdStream(in) || !SUFileUtility::IsSameFile(out, in)) continue;
    WriteError(ctx.err, command,
               "the output " + out + " is the input file " + in +
                   " (the same file): writing it would replace what is read; name another output file");
    return false;
  }
  return true;
}

bool WriteOutput(Context& ctx, const char* command, const std::string& out, const char* what,
                 const std::string& bytes) {
  if (IsStdStream(out)) {
    ctx.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ctx.out.flush();
    if (!ctx.out) {
      WriteError(ctx.err, command, std::string("cannot write the ") + what + " to standard output");
      return false;
    }
    return true;
  }
  try {
    SUFileUtility::ReplaceFile(out, what, bytes);
    return true;
  } catch (const SUFileUtility::SUFileError& e) {
    WriteError(ctx.err, command, e.what());
    return false;
  }
}

bool SaveRepository(Context& ctx, const char* command, ARpGateway& rp, const std::string& out) {
  return WriteOutput(ctx, command, out, "repository file", RpFile::SaveToString(rp));
}

std::ostream& StatusOf(Context& ctx, const std::string& out) { return IsStdStream(out) ? ctx.err : ctx.out; }

}  // namespace smutil_tool
