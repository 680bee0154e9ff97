#!/usr/bin/env bash
# Builds the Windows deliverables into dist/, installing what is missing first.
#   scripts/build.sh                      uninstall.exe (and the test-only shell)
#   CEF_ROOT=/path/to/cef scripts/build.sh   also Zelvora.exe with CEF's runtime
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" build

build=$root/build/release
cmake -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCEF_ROOT="${CEF_ROOT:-}" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -rf "$root/dist"
cmake --install "$build" --prefix "$root/dist" --strip >/dev/null
echo "build: dist/ holds:"
(cd "$root/dist" && find . -maxdepth 1 -type f -printf '  %f (%s bytes)\n' | sort)
