// Runs the built smutil tool in a child process (no shell, so arguments
// reach it verbatim) and captures its exit code and output.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

inline ToolRun RunTool(const std::vector<std::string>& args) {
  char outPath[] = "/tmp/smutil_cmd_out_XXXXXX";
  char errPath[] = "/tmp/smutil_cmd_err_XXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
  ToolRun run;
  if (outFd < 0 || errFd < 0) return run;
  std::vector<std::string> all{SMUTIL_TOOL_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  pid_t pid = 0;
  if (posix_spawn(&pid, SMUTIL_TOOL_PATH, &actions, nullptr, argv.data(), environ) == 0) {
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

}  // namespace cmdtest
