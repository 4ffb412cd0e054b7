#!/bin/sh
# Formats every C++ file of the tree with the repository's .clang-format.
# With --check it changes nothing and fails when a file is not formatted,
# which is how CI keeps the tree formatted.
set -eu
cd "$(dirname "$0")/.."
FORMAT="${CLANG_FORMAT:-clang-format-14}"
files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  # shellcheck disable=SC2086
  "$FORMAT" --dry-run --Werror $files
  echo "format check: $(echo "$files" | wc -l) files formatted"
else
  # shellcheck disable=SC2086
  "$FORMAT" -i $files
fi
