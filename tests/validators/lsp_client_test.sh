#!/bin/sh
# Runs the language-server client test under node; exit 77 (skipped) where
# node or its npm packages (scripts/install-npm.sh) are not installed.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
if ! command -v node >/dev/null 2>&1; then
  echo "lsp client test: skipped, node is not installed"
  exit 77
fi
for package in vscode-jsonrpc vscode-languageserver-protocol; do
  if [ ! -f "$here/node_modules/$package/package.json" ]; then
    echo "lsp client test: skipped, the npm package $package is not installed (scripts/install-npm.sh)"
    exit 77
  fi
done
exec node "$here/lsp_client_test.js" "$@"
