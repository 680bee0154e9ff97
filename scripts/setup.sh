#!/usr/bin/env bash
# Installs from Debian's archive what a fresh Debian 12 machine lacks for one
# or more jobs, and is the one place that knows how to:
#
#   scripts/setup.sh build   the MinGW-w64 i686 compiler, CMake, wixl,
#                            faketime
#   scripts/setup.sh test    the above, the x86_64 compiler, 32- and 64-bit
#                            Wine, Xvfb and Xephyr, GoogleTest, Chromium,
#                            the browser test's npm packages,
#                            osslsigncode and openssl (the signing test),
#                            and python3 (the reproducible-build test)
#   scripts/setup.sh icons   rsvg-convert and icotool (scripts/make-icons.sh)
#   scripts/setup.sh sign    osslsigncode (signed releases)
#
# Idempotent: what is present is skipped, and apt is not touched at all when
# nothing is missing.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
root=$(cd "$(dirname "$0")/.." && pwd)

# Debian packages we need, each by a file that shows it is there.
need=()
want() {  # want PACKAGE [FILE]
  local pkg=$1 probe=${2:-}
  if [ -n "$probe" ]; then
    [ -e "$probe" ] && return 0
  elif dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
    return 0
  fi
  need+=("$pkg")
}

want_build() {
  want cmake /usr/bin/cmake
  want make /usr/bin/make
  # Only the posix thread model the toolchain files use, not the win32 one.
  want g++-mingw-w64-i686-posix /usr/bin/i686-w64-mingw32-g++-posix
  want wixl /usr/bin/wixl
  want msitools /usr/bin/msiinfo
  # wixl dates a package with the clock: faketime sets that clock.
  want faketime /usr/bin/faketime
}

want_test() {
  want_build
  want g++-mingw-w64-x86-64-posix /usr/bin/x86_64-w64-mingw32-g++-posix
  # The pure logic, natively under the sanitizers.
  want g++ /usr/bin/g++
  want googletest /usr/src/googletest/CMakeLists.txt
  want libgtest-dev /usr/include/gtest/gtest.h
  want libbenchmark-dev /usr/include/benchmark/benchmark.h
  # Both Wines: 32-bit where the kernel runs 32-bit programs (whether it does
  # is asked at run time, by running one), 64-bit everywhere.
  want wine /usr/bin/wine
  want wine32:i386
  want wine64 /usr/lib/wine/wine64
  want xvfb /usr/bin/Xvfb
  # Two monitors side by side (Xinerama on Xephyr), and the library through
  # which each Wine sees them.
  want xserver-xephyr /usr/bin/Xephyr
  want libxinerama1:i386 /usr/lib/i386-linux-gnu/libXinerama.so.1
  want libxinerama1 /usr/lib/x86_64-linux-gnu/libXinerama.so.1
  want chromium /usr/bin/chromium
  want nodejs /usr/bin/node
  want npm /usr/bin/npm
  # The signing test signs with a certificate it makes itself.
  want_sign
  want openssl /usr/bin/openssl
  # The reproducible-build test names the field two builds differ in.
  want python3 /usr/bin/python3
}

want_icons() {
  want librsvg2-bin /usr/bin/rsvg-convert
  want icoutils /usr/bin/icotool
}

want_sign() {
  want osslsigncode /usr/bin/osslsigncode
}

[ $# -gt 0 ] || set -- build
for job in "$@"; do
  case $job in
    build | test | icons | sign) "want_$job" ;;
    *)
      echo "setup: unknown job $job (build, test, icons, sign)" >&2
      exit 2
      ;;
  esac
done

if [ ${#need[@]} -eq 0 ]; then
  echo "setup: every Debian package for $* is installed"
else
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root, or install ${need[*]} first" >&2
    exit 1
  fi
  echo "setup: installing ${need[*]}"
  if printf '%s\n' "${need[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The error page's browser test drives Chromium with playwright-core, pinned
# by tests/error_page/package-lock.json.
case " $* " in
  *" test "*)
    if [ ! -d "$root/tests/error_page/node_modules/playwright-core" ]; then
      echo "setup: installing tests/error_page's npm packages"
      npm ci --prefix "$root/tests/error_page" --no-audit --no-fund >/dev/null
    fi
    ;;
esac
