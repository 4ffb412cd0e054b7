#!/bin/sh
# Builds everything and runs every unit test. BUILD_DIR and extra CMake
# options (CMAKE_ARGS) let CI reuse it for the sanitizer build.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
