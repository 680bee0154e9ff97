#!/usr/bin/env bash
# Reproducible builds: a signed release made of the test build's i686
# programs is rebuilt by scripts/verify-release.sh from a commit of these
# sources, in a clone of its own (a folder of another name and depth), from
# a copy of the CEF distribution at another path, with its own umask,
# locale, time zone and wall clock (a year ahead under faketime), and every
# file comes out the same bytes: Zelvora.exe, uninstall.exe, the package
# and its custom action, signatures attached. Where two files differ, the
# verifier names the first differing offset and the PE or package field it
# lies in (first_difference.py).
#
#   reproducible_build_test.sh SOURCE_DIR PROGRAM_DIR CEF_ROOT RELEASE_DIR
#
# PROGRAM_DIR: the test build's i686 programs and custom action (what
# scripts/test.sh builds), built from SOURCE_DIR and CEF_ROOT, the i686 CEF
# distribution (the test double's, laid out as a distribution). The release
# is packaged and signed with a throwaway certificate by the release's own
# rules (tests/signing/release). The rebuild gets the first build's time
# only as the date of the commit it builds.
#
# RELEASE_DIR is left for verify_release_test.sh: the commit (sources/), the
# release (released/), the rebuild the verifier kept (rebuilt/), the CEF
# copy (cef/), the certificates and the time (epoch).
set -euo pipefail
source_dir=$1
program_dir=$2
cef_root=$3
dir=$4

rm -rf "$dir"
mkdir -p "$dir"
unset ZELVORA_SIGN_PASSWORD
# The one time the first build wrote (cmake/Reproducible.cmake):
# SOURCE_DATE_EPOCH where scripts/test.sh was given one, or else the time of
# the commit the sources are checked out at.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
unset SOURCE_DATE_EPOCH
echo "$epoch" >"$dir/epoch"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Valid from now for longer than the year the rebuild's clock is ahead.
password='test pass'
printf '%s\n' "$password" >"$dir/password"
. "$source_dir/tests/signing/test_certificates.sh"
make_test_certificates "$dir" "$dir/password" 400 ||
  { echo "FAIL: could not make the test certificates" >&2; exit 1; }
# No certificate is issued after this.
rm "$dir/ca-key.pem"

# --- The commit ----------------------------------------------------------------
# The sources as a checkout has them, uncommitted changes included: tracked
# files and new ones, not what .gitignore leaves out (build trees, dist/),
# committed at the first build's time.
repo=$dir/sources
git clone --quiet --no-checkout "$source_dir" "$repo"
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard) |
  while IFS= read -r -d '' file; do
    if [ -e "$source_dir/$file" ] || [ -L "$source_dir/$file" ]; then
      printf '%s\0' "$file"
    fi
  done | (cd "$source_dir" && xargs -0 cp --parents --no-dereference -t "$repo")
git -C "$repo" add -A &&
  GIT_AUTHOR_DATE="@$epoch +0000" GIT_COMMITTER_DATE="@$epoch +0000" \
    git -C "$repo" -c user.name=Test -c user.email=test@invalid \
    commit --quiet --allow-empty -m "The sources as tested" ||
  { echo "FAIL: could not commit the sources in $repo" >&2; exit 1; }
version=$(sed -n 's/^project(Zelvora VERSION \([0-9.]*\).*/\1/p' \
  "$repo/CMakeLists.txt")
msi=Zelvora-$version.msi

# --- A signed release of the test build's programs ---------------------------
released=$dir/released
release=$dir/release
mkdir -p "$released"
if cmake -S "$repo/tests/signing/release" -B "$release" \
  -DZELVORA_SOURCE_DIR="$repo" -DPROGRAM_DIR="$program_dir" \
  -DCEF_STAND_IN="$cef_root" -DRELEASE_VERSION="$version" \
  -DZELVORA_SIGN_PKCS12="$dir/signer.p12" >"$release.log" 2>&1 &&
  ZELVORA_SIGN_PASSWORD=$password cmake --build "$release" \
    >>"$release.log" 2>&1 &&
  cmake --install "$release" --prefix "$release/dist" --strip \
    >>"$release.log" 2>&1; then
  cp "$release/dist/Zelvora.exe" "$release/dist/uninstall.exe" \
    "$release/$msi" "$released/"
  # A release's Zelvora.exe is the one its package installs.
  cmp -s "$released/Zelvora.exe" "$release/package-payload/Zelvora.exe" ||
    fail "release: expected dist/Zelvora.exe to be the package's, signature included"
else
  echo "FAIL: the signed release failed: $(tail -n 20 "$release.log")" >&2
  exit 1
fi

# --- Its rebuild, elsewhere and a year later ------------------------------------
mkdir -p "$dir/cef"
cp -r "$cef_root" "$dir/cef/binary-distribution"
status=0
(umask 077 && LC_ALL=C.UTF-8 TZ=Pacific/Kiritimati faketime -f +365d \
  env CEF_ROOT="$dir/cef/binary-distribution" \
  ZELVORA_VERIFY_CAFILE="$dir/ca.pem" ZELVORA_VERIFY_KEEP="$dir/rebuilt" \
  "$repo/scripts/verify-release.sh" "$released" HEAD) >"$dir/verify.out" \
  2>&1 || status=$?
[ "$status" -eq 0 ] ||
  fail "verify-release.sh on the release: expected exit status 0, got $status: $(cat "$dir/verify.out")"
for name in Zelvora.exe uninstall.exe "$msi" cache_removal.dll; do
  grep -q "^$name.*: identical$" "$dir/verify.out" ||
    fail "$name: expected the same bytes from both builds ('$name: identical'), got: $(grep "^$name" "$dir/verify.out" || cat "$dir/verify.out")"
done

# The times written are the commit's, in the first build and in the
# rebuild.
export LC_ALL=C TZ=UTC
expected=$(date -d "@$epoch")
for program in "$program_dir/uninstall.exe" "$dir/rebuilt/uninstall.exe"; do
  stamp=$(i686-w64-mingw32-objdump -p "$program" 2>/dev/null |
    sed -n 's/^Time\/Date[[:space:]]*//p')
  [ "$(date -d "$stamp" +%s 2>/dev/null)" = "$epoch" ] ||
    fail "$program: expected the PE time stamp $expected (the commit's, or SOURCE_DATE_EPOCH), got $stamp"
done
created=$(msiinfo suminfo "$dir/rebuilt/$msi" 2>/dev/null |
  sed -n 's/^Created: //p')
[ "$(date -d "$created" +%s 2>/dev/null)" = "$epoch" ] ||
  fail "rebuilt $msi: expected it created $expected (the commit's time), got $created"

if [ "$failures" -ne 0 ]; then
  echo "reproducible_build_test: $failures failure(s); the release and its rebuild are in $dir" >&2
  exit 1
fi
echo "reproducible_build_test: passed"
