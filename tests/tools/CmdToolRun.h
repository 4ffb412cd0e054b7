// Runs the built smutil tool in a child process (no shell, so arguments
// reach it verbatim) and captures its exit code and output. The child gets
// this process's environment with the given changes: "NAME=VALUE" sets a
// variable, "NAME" alone removes it.
//
//   ToolRun r = RunTool({"--repo", file, "dict"}, {"SMUTIL_CONFIG=" + cfg});
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace cmdtest {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

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

inline ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& envChanges = {}, const char* stdinPath = "/dev/null") {
  char outPath[] = "/tmp/smutil_cmd_out_XXXXXX";
  char errPath[] = "/tmp/smutil_cmd_err_XXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, stdinPath, O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(outFd);
  close(errFd);
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  std::remove(outPath);
  std::remove(errPath);
  return run;
}

inline ToolRun RunTool(const std::vector<std::string>& args, const std::vector<std::string>& envChanges = {}) {
  return RunProgram(SMUTIL_TOOL_PATH, args, envChanges);
}

// Runs the tool with standard input read from a file holding stdinText.
inline ToolRun RunToolWithInput(const std::vector<std::string>& args, const std::string& stdinText,
                                const std::vector<std::string>& envChanges = {}) {
  char inPath[] = "/tmp/smutil_cmd_in_XXXXXX";
  const int fd = mkstemp(inPath);
  if (fd < 0) return {};
  const bool bWritten = write(fd, stdinText.data(), stdinText.size()) == static_cast<ssize_t>(stdinText.size());
  close(fd);
  ToolRun run;
  if (bWritten) run = RunProgram(SMUTIL_TOOL_PATH, args, envChanges, inPath);
  std::remove(inPath);
  return run;
}

}  // namespace cmdtest
