#!/bin/sh
# Installs every build and test dependency from Debian packages. Safe to run
# again: packages already present are left alone.
set -eu
PKGS="cmake ninja-build ccache g++ libgtest-dev libgmock-dev libbenchmark-dev libicu-dev libssl-dev libxerces-c-dev libcli11-dev nlohmann-json3-dev clang-14 libclang-rt-14-dev clang-format-14 libsqlite3-dev python3-jsonschema libgraphviz-dev pkg-config chromium python3 doxygen python3-dev pybind11-dev python3-pytest python3-mypy translate-toolkit"
missing=""
# node and npm for scripts/install-npm.sh, unless a node installation is
# already there (another one's npm would clash with Debian's).
command -v npm >/dev/null 2>&1 || PKGS="$PKGS nodejs npm"
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
