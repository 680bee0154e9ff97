#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the tests and runs them
# with ctest under Wine, on an X display and a Wine prefix of this run's own.
# Whatever it started is stopped again, also when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build=${ZELVORA_BUILD_DIR:-$root/build/test}
cmake -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Debug -DZELVORA_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

run=$(mktemp -d /tmp/zelvora-test.XXXXXX)
xvfb_pid=
xephyr_pid=
cleanup() {
  WINEPREFIX=$run/wine wineserver -k 2>/dev/null || true
  WINEPREFIX=$run/wine-xinerama wineserver -k 2>/dev/null || true
  [ -n "$xephyr_pid" ] && kill "$xephyr_pid" 2>/dev/null && wait "$xephyr_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT

# X servers started with -displayfd write their display number to a file
# once they are ready: wait_for_display FILE SERVER-NAME prints it.
wait_for_display() {
  for _ in $(seq 100); do
    [ -s "$1" ] && break
    sleep 0.1
  done
  [ -s "$1" ] || { echo "test: $2 did not start" >&2; exit 1; }
  head -n1 "$1"
}

# Xvfb picks a free display itself and tells us its number once it is ready.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$run/display" \
  >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
display=$(wait_for_display "$run/display" Xvfb)
export DISPLAY=:$display

# A second display on that one, with two monitors side by side: 1920x1080 and
# 1280x1024 to its right. Wine takes them from Xinerama (RandR is off so that
# it is the only source). Wine reads the monitors once per prefix session, so
# tests use this display from a prefix of their own.
Xephyr -displayfd 3 +xinerama -extension RANDR -screen 1920x1080 \
  -screen 1280x1024 -nolisten tcp 3>"$run/xinerama" >"$run/xephyr.log" 2>&1 &
xephyr_pid=$!
display=$(wait_for_display "$run/xinerama" Xephyr)
export ZELVORA_XINERAMA_DISPLAY=:$display
export ZELVORA_XINERAMA_PREFIX=$run/wine-xinerama

# A new 32-bit prefix that never offers to download Mono or Gecko.
export WINEPREFIX=$run/wine WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p  # One server for the whole run: each test starts faster.
timeout 300 wineboot -i >/dev/null 2>&1
# No window manager runs on the display: let Wine manage its windows
# itself, instead of waiting for one to map and unmap them.
wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1

ctest --test-dir "$build" --output-on-failure "$@"
