// The vars command, run as a user would run it: the built tool in a child
// process, its output and exit code checked.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs the tool with args, no shell involved, so texts reach it verbatim.
ToolRun RunVarsTool(const std::vector<std::string>& args) {
  char outPath[] = "/tmp/smutil_vars_out_XXXXXX";
  char errPath[] = "/tmp/smutil_vars_err_XXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
  ToolRun run;
  if (outFd < 0 || errFd < 0) return run;
  std::vector<std::string> argv0{SMUTIL_TOOL_PATH, "vars"};
  argv0.insert(argv0.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv0) argv.push_back(a.data());
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

TEST(CmdVars, ListsReferencesOnePerLine) {
  const ToolRun r = RunVarsTool({"a VALUEOF(VX_SESSION.USER) b valueof(X) VALUELISTOF(NQ.L)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "2\t26\tVX_SESSION\tUSER\n"
            "29\t39\t\tX\n"
            "40\t57\tNQ\tL\n");
  EXPECT_EQ(r.err, "");
}

TEST(CmdVars, PositionsCountCharactersNotBytes) {
  const ToolRun r = RunVarsTool({"\xC3\xA9t\xC3\xA9 VALUEOF(\xC3\x9C.x)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "4\t16\t\xC3\x9C\tx\n");
}

TEST(CmdVars, WordsAreJoinedWithOneBlank) {
  const ToolRun r = RunVarsTool({"x", "VALUEOF(A)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "2\t12\t\tA\n");
}

TEST(CmdVars, PatternSelectsTheOpening) {
  const ToolRun r = RunVarsTool({"--pattern", "VALUENAMEOF(", "VALUEOF(A) VALUENAMEOF(B.C)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "11\t27\tB\tC\n");
}

TEST(CmdVars, TextWithoutReferencesOrBrokenOnePrintsNothing) {
  for (const char* text : {"", "plain", "VALUEOF(unclosed", "'VALUEOF(X'"}) {
    const ToolRun r = RunVarsTool({text});
    EXPECT_EQ(r.exitCode, 0) << text;
    EXPECT_EQ(r.out, "") << text;
  }
}

TEST(CmdVars, MissingTextIsUsageError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--pattern"}, {"--pattern", "valueof("}, {"--pattern", "", "x"}}) {
    const ToolRun r = RunVarsTool(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

}  // namespace
