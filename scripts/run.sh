#!/bin/sh
# Builds the smutil tool and shows it working on the bundled sample repository.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target smutil
set -x
build/smutil --help
build/smutil version
