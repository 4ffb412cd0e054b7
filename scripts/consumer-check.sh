#!/bin/sh
# Installs smutil into a temporary prefix, builds tests/consumer against it
# with find_package as another project would, runs it, and runs the installed
# tool on the installed sample. BUILD_DIR is the (already configured or not)
# build tree to install from.
set -eu
cd "$(dirname "$0")/.."
SRC=$(pwd)
BUILD_DIR="${BUILD_DIR:-build}"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/smutil-consumer.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
PREFIX="$WORK/prefix"
cmake -S . -B "$BUILD_DIR" -G Ninja >/dev/null
cmake --build "$BUILD_DIR"
# Stripped: the prefix weighs what a Release install does, whatever build
# type the tree was built with (the developer build keeps debug information).
cmake --install "$BUILD_DIR" --prefix "$PREFIX" --strip >/dev/null
echo "installed prefix: $(du -sh "$PREFIX" | cut -f1)"
PYTHON_MODULE=$(grep -c '^SMUTIL_PYTHON:BOOL=ON' "$BUILD_DIR/CMakeCache.txt" || true)
cmake -S tests/consumer -B "$WORK/build" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" >/dev/null
cmake --build "$WORK/build"
"$WORK/build/smutil_consumer"
# The installed tool from another directory, with no source or build tree in
# reach: it must find its libraries and its data from where it was installed.
cd "$WORK"
"$PREFIX/bin/smutil" version
"$PREFIX/bin/smutil" show --type TABLE '"Sales DW"."SALESDB"."dbo"."W_ORDERS_F"' >/dev/null
"$PREFIX/bin/smutil" query --fq "$PREFIX/share/smutil/queries/orders_by_region.qry" >/dev/null
"$PREFIX/bin/smutil" message 38009 2006:1
# The installed Python module, when the build has one, from the same place.
if [ "$PYTHON_MODULE" -gt 0 ]; then
  PYTHONPATH=$(echo "$PREFIX"/lib/python3*/site-packages) /usr/bin/python3 -c \
    "import smutil; r = smutil.Repository.load('$PREFIX/share/smutil/sample.rpd.xml'); print(r.resolve('Sales.Orders'))"
fi
# The segment rules and their schema are installed where the library reads them.
test -f "$PREFIX/share/smutil/segment-rules/segment-rules.xml"
test -f "$PREFIX/share/smutil/segment-rules/segment-rules.xsd"
# An unknown component is refused by find_package.
if cmake -S "$SRC/tests/consumer" -B "$WORK/build-bad" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DSMUTIL_EXTRA_COMPONENT=nosuch >/dev/null 2>&1; then
  echo "find_package accepted an unknown component" >&2
  exit 1
fi
