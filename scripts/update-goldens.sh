#!/bin/sh
# Rewrites the golden files (tests/metadata/golden) from what the code
# produces now, for a deliberate change of output: the tests that compare
# with them leave their output in a directory, which is copied over the
# golden files; the change then shows in git diff, to be reviewed before it
# is committed. A test run alone never writes a golden file.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
cmake --build "$BUILD_DIR" --target smutil test_metadata test_tools
OUT=$(mktemp -d "${TMPDIR:-/tmp}/smutil-goldens.XXXXXX")
trap 'rm -rf "$OUT"' EXIT
# The tests fail where the output changed; that is what is being taken over.
SMUTIL_GOLDEN_OUT="$OUT" "$BUILD_DIR/test_metadata" --gtest_filter='PrettySample.*' >/dev/null || true
SMUTIL_GOLDEN_OUT="$OUT" "$BUILD_DIR/test_tools" --gtest_filter='CmdQuery.ExampleQueriesMatchTheirGoldenFiles' >/dev/null || true
for f in tests/metadata/golden/*; do
  name=$(basename "$f")
  if [ ! -f "$OUT/$name" ]; then
    echo "update-goldens: no output for $name (the test did not run?)" >&2
    exit 1
  fi
done
cp "$OUT"/* tests/metadata/golden/
git --no-pager diff --stat -- tests/metadata/golden
