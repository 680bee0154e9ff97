#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Zelvora.
# Idempotent: packages that are already present are skipped, and apt is not
# touched at all when nothing is missing.
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive

# Debian packages we need, by the command or file that shows they are there.
need=()
want() {  # want PACKAGE [TEST-PATH]
  local pkg=$1 probe=${2:-}
  if [ -n "$probe" ]; then
    [ -e "$probe" ] && return 0
  elif dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
    return 0
  fi
  need+=("$pkg")
}

want cmake /usr/bin/cmake
want make /usr/bin/make
want g++-mingw-w64-i686 /usr/bin/i686-w64-mingw32-g++
want googletest /usr/src/googletest/CMakeLists.txt
want libgtest-dev /usr/include/gtest/gtest.h
want libbenchmark-dev /usr/include/benchmark/benchmark.h
want g++ /usr/bin/g++
want wine /usr/bin/wine
want wine32:i386
want xvfb /usr/bin/Xvfb
# Two monitors side by side for the tests (Xinerama on Xephyr), and the
# library through which 32-bit Wine sees them.
want xserver-xephyr /usr/bin/Xephyr
want libxinerama1:i386 /usr/lib/i386-linux-gnu/libXinerama.so.1
want xdotool /usr/bin/xdotool
want x11-utils /usr/bin/xwininfo
want wixl /usr/bin/wixl
want msitools /usr/bin/msiinfo
want icoutils /usr/bin/icotool
want chromium /usr/bin/chromium
want clang-format /usr/bin/clang-format
want nodejs /usr/bin/node
want npm /usr/bin/npm

if [ ${#need[@]} -eq 0 ]; then
  echo "setup: every Debian package is installed"
else
  echo "setup: installing ${need[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The error page's browser test drives Chromium with playwright-core, pinned
# by tests/error_page/package-lock.json.
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -d "$root/tests/error_page/node_modules/playwright-core" ]; then
  echo "setup: installing tests/error_page's npm packages"
  npm ci --prefix "$root/tests/error_page" --no-audit --no-fund >/dev/null
fi
