#!/usr/bin/env bash
# Installs from Debian's archive what a fresh Debian 12 machine lacks for one
# or more jobs, and is the one place that knows how to:
#
#   scripts/setup.sh build   the MinGW-w64 i686 compiler, CMake, Ninja,
#                            wixl, faketime
#   scripts/setup.sh test    the above, the x86_64 compiler, 64-bit Wine,
#                            Xvfb and Xephyr, GoogleTest, Chromium,
#                            the browser test's npm packages,
#                            osslsigncode and openssl (the signing test),
#                            and python3 (the reproducible-build test);
#                            optionally 32-bit Wine
#   scripts/setup.sh icons   rsvg-convert and icotool (scripts/make-icons.sh)
#   scripts/setup.sh sign    osslsigncode (signed releases)
#
# Required packages that cannot be installed stop it (exit 1, naming them and
# the archive's error). Optional ones (32-bit Wine and its i386 libraries) are
# tried last, only where this machine runs 32-bit programs; what cannot be
# installed is reported and passed over. Failed package lists and npm
# downloads are retried first.
#
# Idempotent: what is present is skipped, and apt is not touched at all when
# nothing is missing.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
root=$(cd "$(dirname "$0")/.." && pwd)

# Debian packages we need, each by a file that shows it is there: required
# ones (need) and optional 32-bit ones (need32). Only tests/setup sets
# ZELVORA_SETUP_PROBE_ROOT: a folder the files are looked for under instead
# of /, so that packages can look missing.
need=()
need32=()
have() {  # have PACKAGE [FILE]
  local pkg=$1 probe=${2:-}
  if [ -n "$probe" ]; then
    [ -e "${ZELVORA_SETUP_PROBE_ROOT:-}$probe" ]
  else
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'
  fi
}
want() { have "$@" || need+=("$1"); }      # want PACKAGE [FILE]
want32() { have "$@" || need32+=("$1"); }  # want32 PACKAGE [FILE]

want_build() {
  want cmake /usr/bin/cmake
  want ninja-build /usr/bin/ninja
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
  # Both Wines: 64-bit everywhere, 32-bit where the kernel runs 32-bit
  # programs (asked below, and again by scripts/test.sh, by running one).
  want wine /usr/bin/wine
  want32 wine32:i386
  want wine64 /usr/lib/wine/wine64
  want xvfb /usr/bin/Xvfb
  # Two monitors side by side (Xinerama on Xephyr), and the library through
  # which each Wine sees them.
  want xserver-xephyr /usr/bin/Xephyr
  want32 libxinerama1:i386 /usr/lib/i386-linux-gnu/libXinerama.so.1
  want libxinerama1 /usr/lib/x86_64-linux-gnu/libXinerama.so.1
  # The browser test's Chromium: the headless build, with no window or
  # toolbar of its own to draw (a third less CPU than the full browser).
  want chromium-headless-shell /usr/bin/chromium-headless-shell
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

# The archive's own error lines in apt's output $1 (its last line if it has
# none), each on a line of its own after "setup:   ".
apt_errors() {
  { grep '^E: ' <<<"$1" || tail -n1 <<<"$1"; } | sed 's/^/setup:   /'
}

# apt_update TRIES: refreshes the package lists. A mirror in mid-sync serves
# index files that do not match its Release file for a while: apt retries
# each download itself, and the whole update is tried TRIES times, 10 s
# apart. What still fails is reported and passed over: apt goes on with the
# lists it has, and whether they do is for the install to tell.
updated=
apt_update() {
  local tries=$1 try out
  for try in $(seq "$tries"); do
    out=$(apt-get -qq -o Acquire::Retries=3 update 2>&1) && break
    if [ "$try" -eq "$tries" ]; then
      echo "setup: apt-get update failed$([ "$tries" -eq 1 ] ||
        echo " $tries times"); going on with the package lists it has:" >&2
      apt_errors "$out" >&2
      break
    fi
    sleep 10
  done
  updated=1
}

# apt_install [-s] PACKAGE...: installs them (-s: only simulates it) or
# leaves the archive's error lines in apt_error.
apt_error=
apt_install() {
  local out
  out=$(apt-get install -y -qq --no-install-recommends "$@" 2>&1) && return 0
  apt_error=$(apt_errors "$out")
  return 1
}

if [ ${#need[@]} -eq 0 ]; then
  echo "setup: every required Debian package for $* is installed"
else
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root, or install ${need[*]} first" >&2
    exit 1
  fi
  echo "setup: installing ${need[*]}"
  apt_update 3
  if ! apt_install "${need[@]}"; then
    # Which of them the archive cannot give: each one alone, simulated.
    failed=
    errors=$apt_error
    for pkg in "${need[@]}"; do
      apt_install -s "$pkg" && continue
      failed=1
      echo "setup: cannot install $pkg, which $* needs:" >&2
      echo "$apt_error" >&2
    done
    if [ -z "$failed" ]; then
      echo "setup: cannot install ${need[*]}, which $* needs:" >&2
      echo "$errors" >&2
    fi
    exit 1
  fi
fi

# The error page's browser test drives Chromium with playwright-core, pinned
# by tests/error_page/package-lock.json, on the Node.js of Debian's nodejs
# (18 on Debian 12). Installed again whenever the lock differs from the one
# it was installed from; tried three times, as downloads are. Then the node
# found must be one the installed driver says it runs on.
case " $* " in
  *" test "*)
    npm_dir=$root/tests/error_page
    if ! cmp -s "$npm_dir/package-lock.json" \
      "$npm_dir/node_modules/.zelvora-installed-lock.json"; then
      echo "setup: installing tests/error_page's npm packages" \
        "(for Node.js $(node --version 2>&1))"
      for try in 1 2 3; do
        out=$(npm ci --prefix "$npm_dir" --no-audit --no-fund 2>&1) && break
        if [ "$try" -eq 3 ]; then
          echo "setup: npm ci of tests/error_page failed 3 times:" >&2
          { grep -m5 '^npm ERR!' <<<"$out" || tail -n1 <<<"$out"; } |
            sed 's/^/setup:   /' >&2
          exit 1
        fi
        sleep 10
      done
      cp "$npm_dir/package-lock.json" \
        "$npm_dir/node_modules/.zelvora-installed-lock.json" 2>/dev/null || true
    fi
    driver=$npm_dir/node_modules/playwright-core/package.json
    if [ -f "$driver" ] && ! out=$(node -e '
      const p = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"));
      const need = (p.engines && p.engines.node) || "";
      const want = /^>=\s*(\d+)(?:\.(\d+))?(?:\.(\d+))?$/.exec(need.trim());
      const have = process.versions.node.split(".").map(Number);
      const diff = want && want.slice(1).map((n, i) => have[i] - Number(n || 0));
      const what = `${p.name} ${p.version} runs on Node.js ${need || "(not said)"}`;
      if (!want) {
        console.log(`${what}, which set-up cannot compare with ${process.version}`);
        process.exit(1);
      }
      if (diff[0] < 0 || (!diff[0] && (diff[1] < 0 || (!diff[1] && diff[2] < 0)))) {
        console.log(`${what}, and ${process.execPath} is ${process.version}`);
        process.exit(1);
      }' "$driver" 2>&1); then
      echo "setup: the browser test cannot run on this machine's Node.js:" >&2
      echo "setup:   ${out:-node did not start}" >&2
      exit 1
    fi
    ;;
esac

# Can this machine run 32-bit programs? Some kernels refuse every one. Asked
# by running one: a static i386 program that only exits (binutils comes with
# g++). Says why not in why32. Only tests/setup sets
# ZELVORA_SETUP_TEST_RUNS_32BIT (yes or no) to answer in its place.
why32=
runs_32bit() {
  case ${ZELVORA_SETUP_TEST_RUNS_32BIT:-} in
    yes) return 0 ;;
    no) why32="ZELVORA_SETUP_TEST_RUNS_32BIT=no" && return 1 ;;
  esac
  local dir status=0
  dir=$(mktemp -d /tmp/zelvora-setup.XXXXXX)
  if ! printf '%s\n' '.globl _start' '_start: movl $1, %eax' \
    'xorl %ebx, %ebx' 'int $0x80' | as --32 -o "$dir/exit.o" - 2>"$dir/log" ||
    ! ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>>"$dir/log"; then
    why32="no 32-bit program could be built to ask: $(head -n1 "$dir/log")"
    status=1
  elif ! ("$dir/exit") 2>"$dir/log"; then
    why32=$(head -n1 "$dir/log")
    why32=${why32##*: }
    status=1
  fi
  rm -rf "$dir"
  return $status
}

# Optional, and last: 32-bit Wine and its i386 libraries, each tried alone.
if [ ${#need32[@]} -gt 0 ]; then
  if ! runs_32bit; then
    echo "setup: skipped ${need32[*]} (optional): this machine cannot run" \
      "32-bit programs (${why32:-it did not run})"
  elif [ "$(id -u)" -ne 0 ]; then
    echo "setup: skipped ${need32[*]} (optional): not root"
  else
    echo "setup: installing the optional ${need32[*]}"
    if ! grep -qx i386 <<<"$(dpkg --print-foreign-architectures)"; then
      dpkg --add-architecture i386
      updated=
    fi
    # Optional packages are not worth waiting for a mirror: one update,
    # with apt's own retries.
    [ -n "$updated" ] || apt_update 1
    for pkg in "${need32[@]}"; do
      apt_install "$pkg" ||
        echo "setup: skipped $pkg (optional): ${apt_error#setup:   }" |
        head -n1
    done
  fi
fi
