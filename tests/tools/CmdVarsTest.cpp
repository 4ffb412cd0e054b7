// The vars command, run as a user would run it: the built tool in a child
// process, its output and exit code checked.
#include <gtest/gtest.h>

#include "CmdToolRun.h"

namespace {

using cmdtest::ExpectRuns;

// Each reference on a line of its own: start and end (in characters, not
// bytes), block and name.
TEST(CmdVars, ListsReferencesOnePerLine) {
  ExpectRuns(
      {
          {{"a VALUEOF(VX_SESSION.USER) b valueof(X) VALUELISTOF(VX.L)"},
           0,
           "2\t26\tVX_SESSION\tUSER\n29\t39\t\tX\n40\t57\tVX\tL\n"},
          {{"\xC3\xA9t\xC3\xA9 VALUEOF(\xC3\x9C.x)"}, 0, "4\t16\t\xC3\x9C\tx\n"},
          // Words are joined with one blank.
          {{"x", "VALUEOF(A)"}, 0, "2\t12\t\tA\n"},
          {{"--pattern", "VALUENAMEOF(", "VALUEOF(A) VALUENAMEOF(B.C)"}, 0, "11\t27\tB\tC\n"},
          // Text without references, or with a broken one, prints nothing.
          {{""}, 0, ""},
          {{"plain"}, 0, ""},
          {{"VALUEOF(unclosed"}, 0, ""},
          {{"'VALUEOF(X'"}, 0, ""},
      },
      {"vars"});
}

}  // namespace
