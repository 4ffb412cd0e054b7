// Runs the built smutil tool in a child process (no shell, so arguments
// reach it verbatim) and captures its exit code and output. The child gets
// this process's environment with the given changes: "NAME=VALUE" sets a
// variable, "NAME" alone removes it.
//
//   ToolRun r = RunTool({"--repo", file, "dict"}, {"SMUTIL_CONFIG=" + cfg});
//
// ExpectRuns runs a table of command lines, each with what it must give;
// ExpectRefusals a table of refused ones, each with its message.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/ScratchDir.h"

extern char** environ;

namespace cmdtest {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

using testutil::ReadFile;

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// environ with the changes applied.
inline std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
  const auto nameOf = [](const std::string& e) { return e.substr(0, e.find('=')); };
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool bChanged = false;
    for (const std::string& c : changes) bChanged = bChanged || nameOf(c) == nameOf(entry);
    if (!bChanged) env.push_back(entry);
  }
  for (const std::string& c : changes) {
    if (c.find('=') != std::string::npos) env.push_back(c);
  }
  return env;
}

// Where the child's standard streams come from and go, and what it may write.
struct Limits {
  const char* stdinPath = "/dev/null";
  const char* stdoutPath = nullptr;  // captured by default
  long fileSizeLimit = -1;           // RLIMIT_FSIZE of the child, -1 for none
};

// The child is killed by SIGALRM after two minutes, so a program that waits
// fails the test instead of hanging it.
inline ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& envChanges = {}, const Limits& limits = {}) {
  const testutil::ScratchDir dir;
  const std::string outPath = dir.Path("out"), errPath = dir.Path("err");
  const int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT, 0600);
  const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT, 0600);
  ToolRun run;
  if (outFd < 0 || errFd < 0) return run;
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = ChildEnvironment(envChanges);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Opened without waiting, so a named pipe with no writer cannot stop the child here.
    const int in = ::open(limits.stdinPath, O_RDONLY | O_NONBLOCK);
    if (in >= 0) {
      ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
      ::dup2(in, 0);
    }
    ::dup2(limits.stdoutPath ? ::open(limits.stdoutPath, O_WRONLY) : outFd, 1);
    ::dup2(errFd, 2);
    if (limits.fileSizeLimit >= 0) {
      const rlimit limit{static_cast<rlim_t>(limits.fileSizeLimit), static_cast<rlim_t>(limits.fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::alarm(120);  // kept across exec
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid > 0) ::waitpid(pid, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  close(outFd);
  close(errFd);
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  return run;
}

inline ToolRun RunTool(const std::vector<std::string>& args, const std::vector<std::string>& envChanges = {}) {
  return RunProgram(SMUTIL_TOOL_PATH, args, envChanges);
}

// Runs the tool with standard input read from a file holding stdinText.
inline ToolRun RunToolWithInput(const std::vector<std::string>& args, const std::string& stdinText,
                                const std::vector<std::string>& envChanges = {}) {
  const testutil::ScratchDir dir;
  return RunProgram(SMUTIL_TOOL_PATH, args, envChanges, {.stdinPath = dir.Write("in", stdinText).c_str()});
}

inline std::string CommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) line += a + " ";
  return line;
}

// One command line and what it must give: its exit code, the whole of
// standard output, and a text standard error holds (for a run that exits 0
// with none given, standard error must be empty; bad usage and unreadable
// input always say why).
struct RunCase {
  std::vector<std::string> args;
  int exitCode = 0;
  std::string out = {};
  std::string err = {};
};

// Runs each case with prefix before its arguments and the environment
// changes given.
inline void ExpectRuns(const std::vector<RunCase>& cases, const std::vector<std::string>& prefix = {},
                       const std::vector<std::string>& envChanges = {}) {
  for (const RunCase& c : cases) {
    std::vector<std::string> args = prefix;
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(CommandLine(args));
    const ToolRun r = RunTool(args, envChanges);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.out, c.out);
    if (c.exitCode == 0 && c.err.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    if (c.exitCode >= 2) {
      EXPECT_NE(r.err, "");
    }
  }
}

// A command line the tool refuses, and the start of what it says why.
struct Refusal {
  std::vector<std::string> args;
  std::string message;
};

// Runs each refused command line: it must exit with exitCode, print nothing
// on standard output, and standard error must start with its message (one
// message, not one among others).
inline void ExpectRefusals(int exitCode, const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    SCOPED_TRACE(CommandLine(c.args));
    const ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
  }
}

}  // namespace cmdtest
