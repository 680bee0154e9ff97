#!/usr/bin/env bash
# scripts/lib/cmake.sh, which scripts/test.sh configures its builds with: a
# build folder is configured again when its settings (SOURCE_DATE_EPOCH
# among them) change and only then, and one that another generator made is
# made anew with Ninja.
#
#   build_folders_test.sh CMAKE_SH
set -euo pipefail
. "$1"
work=$(mktemp -d /tmp/zelvora-build-folders.XXXXXX)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A project that counts how often it was configured and keeps its setting.
mkdir "$work/src"
cat >"$work/src/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(BuildFolders NONE)
file(APPEND ${CMAKE_BINARY_DIR}/configured "${SETTING}\n")
CMAKE
build=$work/build
configured() { tr '\n' ' ' <"$build/configured" 2>/dev/null || true; }

cmake_configure "$build" -S "$work/src" -DSETTING=one
cmake_configure "$build" -S "$work/src" -DSETTING=one
[ "$(configured)" = "one " ] ||
  fail "the same settings twice: expected one configuring, got: $(configured)"
cmake_configure "$build" -S "$work/src" -DSETTING=two
[ "$(configured)" = "one two " ] ||
  fail "a changed setting: expected it configured again with it, got: $(configured)"
# The build reads SOURCE_DATE_EPOCH when it is configured.
SOURCE_DATE_EPOCH=946684800 cmake_configure "$build" -S "$work/src" -DSETTING=two
[ "$(configured)" = "one two two " ] ||
  fail "SOURCE_DATE_EPOCH set: expected it configured again, got: $(configured)"
grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$build/CMakeCache.txt" ||
  fail "expected a Ninja build, got: $(grep CMAKE_GENERATOR: "$build/CMakeCache.txt")"

# A folder Make configured (its cache says so): CMake would refuse Ninja.
sed -i 's/^CMAKE_GENERATOR:INTERNAL=.*/CMAKE_GENERATOR:INTERNAL=Unix Makefiles/' \
  "$build/CMakeCache.txt"
rm "$build/configured"
if ! said=$(cmake_configure "$build" -S "$work/src" -DSETTING=two 2>&1); then
  fail "a folder configured for Make: expected it made anew, got: $said"
elif [ "$(configured)" != "two " ]; then
  fail "a folder configured for Make: expected it configured anew, got: $(configured)"
fi

if [ "$failures" -ne 0 ]; then
  echo "build_folders_test: $failures failure(s)" >&2
  exit 1
fi
echo "build_folders_test: passed"
