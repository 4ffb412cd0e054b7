#!/bin/sh
# Builds everything and runs every unit test. BUILD_DIR and extra CMake
# options (CMAKE_ARGS) let CI reuse it for the sanitizer build.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The outside validators; without them (no registry reachable) the tests
# that need them report themselves skipped.
scripts/install-npm.sh || echo "test.sh: npm packages not installed; the SARIF, XLIFF and LSP client tests will be skipped" >&2
BUILD_DIR="${BUILD_DIR:-build}"
# The developer build keeps its debug information; CMAKE_ARGS may choose
# another build type (it comes later and wins).
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
