#!/bin/sh
# Installs the npm packages the tests check the tool's output with (the
# SARIF validator, an XLIFF reader and writer, the LSP client libraries
# editors build on), pinned by
# tests/validators/package-lock.json, into tests/validators/node_modules.
# Needs node and npm (scripts/install-deps.sh installs them). Safe to run
# again: an installation that matches the lock file is kept.
set -eu
cd "$(dirname "$0")/../tests/validators"
if [ -f node_modules/.package-lock.json ] && cmp -s package-lock.json node_modules/.smutil-installed-lock; then
  exit 0
fi
npm ci --no-audit --no-fund --loglevel=error
# The validator's binary ships without its execute bit where the package's
# install script is not run.
for f in node_modules/@microsoft/sarif-multitool-*/Sarif.Multitool; do
  if [ -f "$f" ]; then chmod u+x "$f"; fi
done
cp package-lock.json node_modules/.smutil-installed-lock
