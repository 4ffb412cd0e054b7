// FileArgs: how every command treats the files named on its command line,
// so the rules have one home.
//
//   std::string text;
//   if (!ReadInput(ctx, "query", o.path, "query file", text)) return kExitIO;   // "-": standard input
//   if (!CheckNotAnInput(ctx, "convert", o.out, {o.in})) return kExitUsage;
//   if (!WriteOutput(ctx, "convert", o.out, "repository file", bytes)) return kExitIO;  // "-": standard output
//   StatusOf(ctx, o.out) << "... written to " << Shown(o.out) << "\n";
//
// - "-" is standard input where a file is read and standard output where
//   one is written. Standard input is read once: a second input given as
//   "-" in the same command is refused.
// - An input must be a regular file: a directory, named pipe or device is
//   refused before it is opened (nothing waits on a pipe), and a read stops
//   at a bound.
// - An output is replaced whole or not at all: the bytes go to a temporary
//   file beside it, are flushed to the disk and renamed over it only when
//   all of them were written; the old file keeps its permissions and owner.
//   A symbolic link is written through: the file it points to is replaced
//   and the link stays.
// - An output that names one of the command's inputs (the same file, by
//   any path or link) is refused before anything is written.
// Every refusal is "smutil COMMAND: ..." on ctx.err naming the file.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "Commands.h"
#include "Utility/SUFileUtility.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

inline constexpr char kStdStream[] = "-";
inline bool IsStdStream(const std::string& path) { return path == kStdStream; }

// The path as messages show it: "standard input" / "standard output" for "-".
std::string ShownInput(const std::string& path);
std::string ShownOutput(const std::string& path);

// Reads the input whole (standard input for "-"), up to maxBytes. False,
// with the reason on ctx.err, when it cannot be read.
bool ReadInput(Context& ctx, const char* command, const std::string& path, const char* what, std::string& bytes,
               std::size_t maxBytes = SUFileUtility::kMaxTextFileBytes);

// For inputs that another library opens by name (the SQLite bundle store,
// the XML parser): refuses anything but a regular file before it is opened,
// and "-" (such a reader cannot take a stream). With bMayBeMissing a path
// that names nothing is accepted (a store that import creates).
bool CheckInputFile(Context& ctx, const char* command, const std::string& path, const char* what,
                    bool bMayBeMissing = false);

// False, with the reason on ctx.err, when out is the same file as one of
// the inputs ("-" and empty paths are no files).
bool CheckNotAnInput(Context& ctx, const char* command, const std::string& out, const std::vector<std::string>& inputs);

// Writes bytes to out, replaced whole, or to standard output for "-". False,
// with the reason on ctx.err, when that fails; the old file is then whole.
bool WriteOutput(Context& ctx, const char* command, const std::string& out, const char* what, const std::string& bytes);

// Writes the repository to out as WriteOutput does.
bool SaveRepository(Context& ctx, const char* command, ARpGateway& rp, const std::string& out);

// Where a command's closing line goes: ctx.out, or ctx.err when the output
// itself went to standard output (which then holds the document alone).
std::ostream& StatusOf(Context& ctx, const std::string& out);

}  // namespace smutil_tool
