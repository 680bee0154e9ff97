#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the tests and runs them
# with ctest under Wine, on X displays and Wine prefixes of this run's own.
# Whatever it started is stopped again, also when a test fails.
#
# The whole suite always runs on an x86_64 build under 64-bit Wine. Where
# this machine can run 32-bit programs it runs once more on the i686 build,
# the architecture Zelvora ships; elsewhere the i686 programs are still
# built and checked without running them. ctest's arguments are passed on
# (scripts/test.sh -R uninstall).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Everything below runs with address-space randomization off, as Wine's
# preloader would leave it. Debian's 64-bit Wine 8 comes without that
# preloader, which reserves the addresses Windows programs find fixed (the
# shared user data page at 0x7ffe0000) before anything else is mapped. Its
# loader, wine64, is not position-independent (at 0x7d000000), and the
# kernels here put its brk heap anywhere in the GiB above it: 200 starts'
# heaps began between 0x7d080000 and 0xbcb8a000. About one Wine process in
# 8,000 then finds its heap on 0x7ffe0000 and exits before it runs ("failed
# to map the shared user data: c0000018"): CreateProcess fails, or msiexec
# waits for a custom-action server that never came. Without randomization
# the heap starts right after the loader, every time. The setting is handed
# down to every process started from here.
if (((0x$(cat /proc/self/personality) & 0x0040000) == 0)); then
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    exec setarch "$(uname -m)" -R "$BASH" "$root/scripts/test.sh" "$@"
  fi
  echo "test: could not turn address-space randomization off (setarch -R):" \
    "about one 64-bit Wine program start in 8,000 will fail" >&2
fi

"$root/scripts/setup.sh" test
. "$root/scripts/lib/wine.sh"
. "$root/scripts/lib/cmake.sh"

builds=${ZELVORA_BUILD_DIR:-$root/build/test}
# New Wine prefixes are copies of one made by this Wine once (scripts/lib/wine.sh).
export ZELVORA_WINE_TEMPLATES=$builds/wine-templates
jobs=$(nproc)

# The shell is built on the CEF test double as on CEF itself: through
# CEF_ROOT, from a folder laid out as a CEF Windows binary distribution.
# cef_double ARCH builds the double and installs that folder for ARCH.
cef_double() {
  local arch=$1
  cmake_configure "$builds/cef_double/$arch/build" -S "$root/tests/cef_double" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release
  cmake --build "$builds/cef_double/$arch/build" -j"$jobs"
  cmake --install "$builds/cef_double/$arch/build" \
    --prefix "$builds/cef_double/$arch/dist" >/dev/null
}

# configure ARCH BUILD-TYPE [CMAKE-ARGS...]
configure() {
  local arch=$1 type=$2
  shift 2
  cef_double "$arch"
  cmake_configure "$builds/$arch" -S "$root" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
    -DCMAKE_BUILD_TYPE="$type" -DZELVORA_BUILD_TESTS=ON \
    -DCEF_ROOT="$builds/cef_double/$arch/dist" "$@"
}

run=$(mktemp -d /tmp/zelvora-test.XXXXXX)
# The tests' python3 is Debian's, the one set-up installs, whatever comes
# first on the PATH: a version manager's python3 is a shim that costs a
# quarter of a second each start, and the release tests start it dozens of
# times. (In the build tree: a configured build may remember the path.)
mkdir -p "$builds/debian"
ln -sfn /usr/bin/python3 "$builds/debian/python3"
export PATH=$builds/debian:$PATH
xvfb_pid=
xephyr_pid=
prefix_pid=
xinerama_pid=
cleanup() {
  local prefix
  [ -z "$prefix_pid" ] || wait "$prefix_pid" 2>/dev/null || true
  [ -z "$xinerama_pid" ] || wait "$xinerama_pid" 2>/dev/null || true
  for prefix in "$run"/wine-*/; do
    [ -d "$prefix" ] && WINEPREFIX=${prefix%/} wine_stop
  done
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

# A second display with two monitors side by side: 1920x1080 and 1280x1024
# to its right. Wine takes them from Xinerama (RandR is off so that it is the
# only source). Wine reads the monitors once per prefix session, so tests
# use this display from a prefix of their own.
Xephyr -displayfd 3 +xinerama -extension RANDR -screen 1920x1080 \
  -screen 1280x1024 -nolisten tcp 3>"$run/xinerama" >"$run/xephyr.log" 2>&1 &
xephyr_pid=$!
display=$(wait_for_display "$run/xinerama" Xephyr)
export ZELVORA_XINERAMA_DISPLAY=:$display

# The x86_64 suite's Wine prefixes are made while the programs build: the
# first start of one takes seconds of both cores. The one on the two
# monitors is started on their display (tests/escape_key/on_two_monitors.sh
# makes it itself where it is not there: for i686).
(
  wine_env x86_64 "$run/wine-x86_64"
  wine_prefix
) >"$run/prefix-x86_64.log" 2>&1 &
prefix_pid=$!
(
  wine_env x86_64 "$run/wine-x86_64-xinerama"
  DISPLAY=$ZELVORA_XINERAMA_DISPLAY wine_prefix
) >"$run/prefix-x86_64-xinerama.log" 2>&1 &
xinerama_pid=$!

# The programs we ship, for i686, the package's custom action and their
# package: always built, since the x86_64 suite checks them statically,
# packages and signs them, and builds them once more to compare; in
# Release, as shipped (NDEBUG). The host's own tests (the natively built
# logic, the browser test, signing, reproducibility) run once, with the
# x86_64 build, whose build type is Debug: the i686 build leaves them out.
configure i686 Release -DZELVORA_HOST_TESTS=OFF
cmake --build "$builds/i686" -j"$jobs" \
  --target uninstall Zelvora cache_removal zelvora_msi

# Can this machine run 32-bit Windows programs? Asked by running one: the
# uninstaller we ship, which exits at once without an argument. Why not is
# the first line Wine printed other than that it made the prefix. Without
# 32-bit Wine that run would say only that the prefix "is a 32-bit
# installation": what is missing is named instead (set-up said why).
i686_why=
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null |
  grep -q 'ok installed'; then
  i686_why="32-bit Wine, wine32:i386, is not installed"
elif ! (
  wine_env i686 "$run/wine-probe"
  wine "$builds/i686/bin/uninstall.exe"
) >"$run/probe.log" 2>&1; then
  i686_why=$(grep -m1 -v -e '^$' -e 'created the configuration directory' \
    "$run/probe.log" || echo "no output")
fi
[ -d "$run/wine-probe" ] && WINEPREFIX=$run/wine-probe wine_stop
arches="x86_64 (64-bit Wine)"
if [ -z "$i686_why" ]; then
  arches="$arches and i686 (32-bit Wine)"
  cmake --build "$builds/i686" -j"$jobs"
else
  arches="$arches; i686 did not run: this machine cannot run a 32-bit Windows program ($i686_why); its programs are checked statically"
fi
echo "test: architectures: $arches"

# The x86_64 build is the tests' own and ships nothing: it is stamped with a
# fixed time (2000-01-01), not the commit's, so that a new commit does not
# relink each of its programs (about 40 CPU-seconds).
x86_64_time=946684800
SOURCE_DATE_EPOCH=$x86_64_time \
  configure x86_64 Debug -DZELVORA_SHIPPED_PROGRAM_DIR="$builds/i686/bin"
SOURCE_DATE_EPOCH=$x86_64_time cmake --build "$builds/x86_64" -j"$jobs"

# suite ARCH [CTEST-ARGS...]: ARCH's build under its Wine, in new prefixes.
suite() {
  local arch=$1
  shift
  echo "test: $arch suite"
  (
    export ZELVORA_XINERAMA_PREFIX=$run/wine-$arch-xinerama
    wine_env "$arch" "$run/wine-$arch"
    [ "$arch" = x86_64 ] || wine_prefix
    status=0
    # Side by side: most tests spend their time waiting (for Wine, windows,
    # the browser). What they share is handed out by ctest
    # (tests/CMakeLists.txt).
    ctest --test-dir "$builds/$arch" --output-on-failure -j"$((jobs + 1))" \
      --resource-spec-file "$root/tests/ctest_resources.json" "$@" ||
      status=$?
    wine_stop
    exit $status
  )
}

status=0
# The prefix on two monitors, should it have failed, is made by its test.
wait "$xinerama_pid" || true
xinerama_pid=
if wait "$prefix_pid"; then
  prefix_pid=
  suite x86_64 "$@" || status=$?
else
  prefix_pid=
  echo "test: could not make the x86_64 suite's Wine prefix:" >&2
  tail -n 20 "$run/prefix-x86_64.log" >&2
  status=1
fi
if [ -z "$i686_why" ]; then
  suite i686 "$@" || status=$?
fi
echo "test: architectures: $arches"
exit $status
