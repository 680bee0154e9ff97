#!/usr/bin/env bash
# Times the shell's cache deletion against "cmd /c rd /s /q" under Wine
# (bench/cache_clearing_benchmark.cc). Builds nothing: build the
# tests first (scripts/test.sh). Runs in a Wine prefix of its own, removed
# after.
#
#   bench/cache_clearing.sh [windows folder for the trees]
#
# ZELVORA_BENCH_ARCH picks the build: x86_64 (default, under 64-bit Wine,
# which runs on every machine) or i686 (32-bit Wine, where the machine runs
# 32-bit programs and the i686 tests were built). ZELVORA_BUILD_DIR is the
# folder holding both builds (default build/test). Without a folder, the
# trees go to the prefix's temp folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine.sh"
arch=${ZELVORA_BENCH_ARCH:-x86_64}
bench=${ZELVORA_BUILD_DIR:-$root/build/test}/$arch/bin/cache_clearing_benchmark.exe
[ -f "$bench" ] || { echo "bench: $bench is not built" >&2; exit 1; }

run=$(mktemp -d /tmp/zelvora-bench.XXXXXX)
cleanup() {
  wine_stop
  rm -rf "$run"
}
wine_env "$arch" "$run/wine"
trap cleanup EXIT
wine_prefix
wine "$bench" "$@" | tr -d '\r'
