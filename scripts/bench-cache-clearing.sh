#!/usr/bin/env bash
# Times the shell's cache deletion against "cmd /c rd /s /q" under Wine
# (tests/context_menu/cache_clearing_benchmark.cc). Builds nothing: build the
# tests first (scripts/test.sh, or cmake --build <dir> --target
# cache_clearing_benchmark). Runs in a Wine prefix of its own, removed after.
#
#   scripts/bench-cache-clearing.sh [windows folder for the trees]
#
# ZELVORA_BUILD_DIR picks the build (default build/test); without a folder,
# the trees go to the prefix's temp folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZELVORA_BUILD_DIR:-$root/build/test}
bench=$build/bin/cache_clearing_benchmark.exe
[ -f "$bench" ] || { echo "bench: $bench is not built" >&2; exit 1; }

run=$(mktemp -d /tmp/zelvora-bench.XXXXXX)
cleanup() {
  WINEPREFIX=$run/wine wineserver -k 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT

export WINEPREFIX=$run/wine WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p
timeout 300 wineboot -i >/dev/null 2>&1
wine "$bench" "$@" | tr -d '\r'
