#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 5) starting from its seed corpus in fuzz/corpus/<name>.
# FUZZ_BUILD_TYPE (default RelWithDebInfo) chooses the build type.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build-fuzz}"
SECONDS_EACH="${FUZZ_SECONDS:-5}"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -G Ninja -DSMUTIL_FUZZ=ON -DCMAKE_BUILD_TYPE="${FUZZ_BUILD_TYPE:-RelWithDebInfo}"
# Only the fuzz targets (and what they link): the tool and the rest are
# built and tested elsewhere.
targets=""
for src in fuzz/*.cpp; do
  [ -e "$src" ] && targets="$targets $(basename "$src" .cpp)"
done
# shellcheck disable=SC2086
[ -n "$targets" ] && cmake --build "$BUILD_DIR" --target $targets
for src in fuzz/*.cpp; do
  [ -e "$src" ] || continue
  name=$(basename "$src" .cpp)
  corpus="$BUILD_DIR/corpus/$name"
  mkdir -p "$corpus"
  seeds=""
  [ -d "fuzz/corpus/$name" ] && seeds="fuzz/corpus/$name"
  echo "== $name ($SECONDS_EACH s)"
  "$BUILD_DIR/$name" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 "$corpus" $seeds
done
