#!/usr/bin/env bash
# scripts/setup.sh on a day Debian's archive answers badly, against stand-ins
# for apt-get, dpkg and npm (archive_standin.sh) first on PATH, on a machine
# where every package looks missing. Changes nothing on this machine.
#
#   setup_test.sh SETUP_SH
set -euo pipefail
setup=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/zelvora-setup-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run SCENARIO [VAR=VALUE...]: setup.sh test, from a copy of the scripts in a
# tree of its own (with no npm packages yet), with the stand-ins; its output
# in $out, its exit status in $status, the stand-ins' calls in $calls.
mkdir "$work/bin"
for tool in apt-get dpkg dpkg-query npm id sleep; do
  ln -s "$here/archive_standin.sh" "$work/bin/$tool"
done
run() {
  local dir=$work/$1
  shift
  mkdir -p "$dir/tree/scripts" "$dir/tree/tests/error_page" "$dir/root"
  cp "$setup" "$dir/tree/scripts/setup.sh"
  status=0
  out=$(env PATH="$work/bin:$PATH" STANDIN_DIR="$dir" \
    ZELVORA_SETUP_PROBE_ROOT="$dir/root" "$@" \
    bash "$dir/tree/scripts/setup.sh" test 2>&1) || status=$?
  calls=$(cat "$dir/log" 2>/dev/null || true)
  printf '%s\n' "$out" | sed "s/^/  [${dir##*/}] /"
}

expect_output() {  # expect_output SCENARIO TEXT
  grep -qF -- "$2" <<<"$out" || fail "$1: expected setup.sh to print '$2'"
}

# An index that fails to download, on a machine that runs 32-bit programs
# and has the i386 architecture: the update is retried, reported and passed
# over, the required packages are installed from the lists apt has, and the
# i386 ones, missing from them, skipped.
run bad_index STANDIN_BAD_INDEX=1 STANDIN_I386=1 \
  ZELVORA_SETUP_TEST_RUNS_32BIT=yes
[ "$status" -eq 0 ] || fail "bad_index: expected exit 0, got $status"
tries=$(grep -c '^apt-get .*update' <<<"$calls" || true)
[ "$tries" -ge 2 ] || fail "bad_index: expected the update retried, got $tries tries"
grep -q '^apt-get install.* xvfb' <<<"$calls" ||
  fail "bad_index: expected the required packages installed, got: $(grep '^apt-get install' <<<"$calls")"
expect_output bad_index "File has unexpected size (374820 != 376004)"
expect_output bad_index "skipped wine32:i386 (optional): E: Unable to locate package wine32:i386"

# An i386 package whose dependencies cannot be met: the architecture is
# added, and that package alone is skipped and said.
run held_i386 STANDIN_HELD=wine32:i386 ZELVORA_SETUP_TEST_RUNS_32BIT=yes
[ "$status" -eq 0 ] || fail "held_i386: expected exit 0, got $status"
grep -qx 'dpkg --add-architecture i386' <<<"$calls" ||
  fail "held_i386: expected the i386 architecture added"
expect_output held_i386 "skipped wine32:i386 (optional): E: Unable to correct problems, you have held broken packages."
grep -q '^apt-get install.* libxinerama1:i386' <<<"$calls" ||
  fail "held_i386: expected libxinerama1:i386 still tried"
# apt finds i386 packages only in lists read after the architecture came.
! grep -q 'skipped libxinerama1:i386' <<<"$out" ||
  fail "held_i386: expected libxinerama1:i386 installed from package lists" \
    "read after dpkg --add-architecture i386, got: $(grep 'skipped libx' <<<"$out")"

# A machine that refuses 32-bit programs: every 64-bit package a test run
# needs is required, the 64-bit libxinerama1 through which Wine sees the
# monitors too; what is passed over as optional is i386 alone.
run no_32bit ZELVORA_SETUP_TEST_RUNS_32BIT=no
[ "$status" -eq 0 ] || fail "no_32bit: expected exit 0, got $status"
grep -qE '^apt-get install.* libxinerama1( |$)' <<<"$calls" ||
  fail "no_32bit: expected libxinerama1 among the required packages, got: $(grep '^apt-get install' <<<"$calls")"
skipped=$(sed -n 's/.*setup: skipped \(.*\) (optional).*/\1/p' <<<"$out")
[ -n "$skipped" ] || fail "no_32bit: expected the i386 packages named as skipped"
for pkg in $skipped; do
  [ "${pkg%:i386}" != "$pkg" ] ||
    fail "no_32bit: expected only i386 packages optional, got $pkg"
done

# A required package that cannot be installed: set-up stops, naming it and
# the archive's error.
run held_required STANDIN_HELD=xvfb ZELVORA_SETUP_TEST_RUNS_32BIT=no
[ "$status" -ne 0 ] || fail "held_required: expected a non-zero exit, got 0"
expect_output held_required "cannot install xvfb, which test needs"
expect_output held_required "E: Unable to correct problems, you have held broken packages."
! grep -q 'cannot install cmake' <<<"$out" ||
  fail "held_required: expected only xvfb named, got cmake too"

# npm downloads that keep failing: retried, then set-up stops, saying so.
run npm_fails STANDIN_NPM_FAIL=1 ZELVORA_SETUP_TEST_RUNS_32BIT=no
[ "$status" -ne 0 ] || fail "npm_fails: expected a non-zero exit, got 0"
tries=$(grep -c '^npm ci' <<<"$calls" || true)
[ "$tries" -ge 2 ] || fail "npm_fails: expected npm ci retried, got $tries tries"
expect_output npm_fails "npm ci of tests/error_page failed"
expect_output npm_fails "npm ERR! code ECONNRESET"

# Everything present, on a machine that runs 32-bit programs: set-up
# returns at once and leaves apt, dpkg and npm alone. (Each file setup.sh
# looks for is there, dpkg-query finds every package, and the npm packages
# were installed from the lock the tree holds.)
present=$work/present
mkdir -p "$present/tree/tests/error_page/node_modules/playwright-core"
echo '{"lockfileVersion": 3}' >"$present/tree/tests/error_page/package-lock.json"
cp "$present/tree/tests/error_page/package-lock.json" \
  "$present/tree/tests/error_page/node_modules/.zelvora-installed-lock.json"
files=()
for file in $(sed -n 's|^ *want\(32\)\? [^ ]* \(/[^ ]*\)$|\2|p' "$setup"); do
  files+=("$present/root$file")
done
mkdir -p "${files[@]%/*}"
touch "${files[@]}"
run present STANDIN_INSTALLED=1 ZELVORA_SETUP_TEST_RUNS_32BIT=yes
[ "$status" -eq 0 ] || fail "present: expected exit 0, got $status"
! grep -qv '^dpkg-query ' <<<"$calls" ||
  fail "present: expected nothing but dpkg-query asked, got: $(grep -v '^dpkg-query ' <<<"$calls")"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "setup_test: all scenarios passed"
