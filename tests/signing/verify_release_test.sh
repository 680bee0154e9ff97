#!/usr/bin/env bash
# scripts/verify-release.sh on a signed release: every file identical to its
# rebuild; the one file a byte was changed in (in what it signs, or in its
# signature, or signed anew) "differs"; a signature it cannot trust does not
# verify; and what it cannot rebuild stops it with exit status 2.
#
#   verify_release_test.sh SOURCE_DIR PROGRAM_DIR CEF_ROOT
#
# The release is made of what the test build already has: the i686
# programs and custom action of PROGRAM_DIR, built from CEF_ROOT (the i686
# CEF test double's distribution), packaged and signed with a throwaway
# certificate by the release's own rules (release/CMakeLists.txt, as
# signing_test.sh uses them). The verifier rebuilds them from a commit of
# this source tree as it stands, uncommitted changes included, made in a
# clone of its own and dated with the programs' time stamp: the commit the
# release was built from. So its one full build is the check that a build
# of these sources elsewhere, from a clean clone, gives the same bytes.
set -euo pipefail
source_dir=$1
program_dir=$2
cef_root=$3

work=$(mktemp -d /tmp/zelvora-verify-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The one time the test build wrote into PROGRAM_DIR's programs, their link
# time stamp: the commit's when they were built, or SOURCE_DATE_EPOCH
# (cmake/Reproducible.cmake; reproducible_build_test.sh checks it).
epoch=$(python3 - "$program_dir/uninstall.exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
print(struct.unpack_from("<I", data, pe + 8)[0])
PY
)
unset ZELVORA_SIGN_PASSWORD SOURCE_DATE_EPOCH

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

password='test pass'
printf '%s\n' "$password" >"$work/password"
. "$source_dir/tests/signing/test_certificates.sh"
make_test_certificates "$work" "$work/password" ||
  { echo "FAIL: could not make the test certificates" >&2; exit 1; }

# --- The commit the programs were built from --------------------------------
# The sources as they stand, dated with that time.
repo=$work/sources
git clone --quiet --no-checkout "$source_dir" "$repo"
# commit_sources MESSAGE: the index and a commit of what $repo holds.
commit_sources() {
  git -C "$repo" add -A &&
    GIT_AUTHOR_DATE="@$epoch +0000" GIT_COMMITTER_DATE="@$epoch +0000" \
      git -C "$repo" -c user.name=Test -c user.email=test@invalid \
      commit --quiet --allow-empty -m "$1"
}
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard) |
  while IFS= read -r -d '' file; do
    if [ -e "$source_dir/$file" ] || [ -L "$source_dir/$file" ]; then
      printf '%s\0' "$file"
    fi
  done | (cd "$source_dir" && xargs -0 cp --parents --no-dereference -t "$repo")
commit_sources "The sources as tested" ||
  { echo "FAIL: could not commit the sources in $repo" >&2; exit 1; }
version=$(sed -n 's/^project(Zelvora VERSION \([0-9.]*\).*/\1/p' \
  "$repo/CMakeLists.txt")

# --- A signed release of it ---------------------------------------------------
released=$work/released
mkdir -p "$released"
release=$work/release
if cmake -S "$repo/tests/signing/release" -B "$release" \
  -DZELVORA_SOURCE_DIR="$repo" -DPROGRAM_DIR="$program_dir" \
  -DCEF_STAND_IN="$cef_root" -DRELEASE_VERSION="$version" \
  -DZELVORA_SIGN_PKCS12="$work/signer.p12" >"$release.log" 2>&1 &&
  ZELVORA_SIGN_PASSWORD=$password cmake --build "$release" \
    >>"$release.log" 2>&1 &&
  cmake --install "$release" --prefix "$release/dist" --strip \
    >>"$release.log" 2>&1; then
  cp "$release/dist/Zelvora.exe" "$release/dist/uninstall.exe" \
    "$release/Zelvora-$version.msi" "$released/"
  # A release's Zelvora.exe is the one its package installs.
  cmp -s "$released/Zelvora.exe" "$release/package-payload/Zelvora.exe" ||
    fail "release: expected dist/Zelvora.exe to be the package's, signature included"
else
  fail "the signed release failed: $(tail -n 20 "$release.log")"
fi

# --- The verifier -------------------------------------------------------------
# verify DIR [COMMIT]: runs the commit's verifier on the release in DIR; its
# output in $work/verify.out, its exit status in $verified. The first run
# rebuilds the commit; later runs given the same signatures compare with
# that rebuild. ZELVORA_VERIFY_CAFILE may be set to another CA.
verify() {
  verified=0
  CEF_ROOT=$cef_root ZELVORA_VERIFY_CAFILE=${cafile:-$work/ca.pem} \
    ZELVORA_VERIFY_KEEP=$work/rebuilt \
    "$repo/scripts/verify-release.sh" "$1" "${2:-HEAD}" >"$work/verify.out" \
    2>&1 || verified=$?
}
msi=Zelvora-$version.msi
files="Zelvora.exe uninstall.exe $msi cache_removal.dll"

verify "$released"
if [ "$verified" -ne 0 ]; then
  fail "verify-release.sh on the signed release: expected exit status 0, got $verified: $(cat "$work/verify.out")"
fi
for name in $files; do
  grep -q "^$name.*: identical$" "$work/verify.out" ||
    fail "verify-release.sh on the signed release: expected '$name: identical', got: $(cat "$work/verify.out")"
done

# One byte of one released file changed: in what it signs (at OFFSET), or in
# its signature (the RSA signature value near the end of the PKCS#7 blob: in
# a program where it lies; a package's, put back by osslsigncode
# attach-signature, which lays the package out as before).
tamper_payload() {
  python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2])); byte = f.read(1)[0]
    f.seek(int(sys.argv[2])); f.write(bytes([byte ^ 1]))' "$1" "$2"
}
tamper_signature() {
  local sig=$work/tamper.sig
  rm -f "$sig" "$work/tamper.bare"
  osslsigncode extract-signature -in "$1" -out "$sig" >/dev/null
  local size
  size=$(stat -c %s "$sig")
  if [ "$(head -c 2 "$1")" = MZ ]; then
    tamper_payload "$1" "$(python3 -c 'import sys
data, sig = (open(name, "rb").read() for name in sys.argv[1:])
print(data.rindex(sig) + len(sig) - 10)' "$1" "$sig")"
    return
  fi
  tamper_payload "$sig" $((size - 10))
  osslsigncode remove-signature -in "$1" -out "$work/tamper.bare" >/dev/null
  rm -f "$1"
  osslsigncode attach-signature -sigin "$sig" -in "$work/tamper.bare" \
    -out "$1" >/dev/null 2>&1 || true
}

# Changed at OFFSET and signed anew with the release's key: a valid
# signature on what the commit does not build.
tamper_resigned() {
  osslsigncode remove-signature -in "$1" -out "$work/tamper.bare" >/dev/null
  tamper_payload "$work/tamper.bare" "$2"
  rm -f "$1"
  printf '%s' "$password" | osslsigncode sign -pkcs12 "$work/signer.p12" \
    -readpass /dev/stdin -h sha256 -in "$work/tamper.bare" -out "$1" \
    >/dev/null
}

# tampered NAME HOW [OFFSET]: the verifier on a copy of the release whose
# NAME was changed by one byte (and for "resigned" signed anew) must fail,
# say that NAME differs and find the other files identical.
tampered() {
  local name=$1 how=$2 copy=$work/tampered
  rm -rf "$copy"
  cp -r "$released" "$copy"
  "tamper_$how" "$copy/$name" "${3:-}"
  [ "$how" = resigned ] ||
    [ "$(cmp -l "$released/$name" "$copy/$name" | wc -l)" -eq 1 ] ||
    fail "$name, $how: expected a copy with one byte changed, $(cmp -l "$released/$name" "$copy/$name" | wc -l) differ"
  verify "$copy"
  if [ "$verified" -ne 1 ]; then
    fail "verify-release.sh, $name tampered ($how): expected exit status 1, got $verified: $(cat "$work/verify.out")"
  fi
  grep -q "^$name: differs" "$work/verify.out" ||
    fail "verify-release.sh, $name tampered ($how): expected '$name: differs', got: $(cat "$work/verify.out")"
  for other in $files; do
    [ "$other" = "$name" ] ||
      grep -q "^$other.*: identical$" "$work/verify.out" ||
      fail "verify-release.sh, $name tampered ($how): expected '$other: identical', got: $(cat "$work/verify.out")"
  done
}
if [ -s "$released/Zelvora.exe" ] && [ -s "$work/rebuilt/made-of" ]; then
  # The manifest's execution level, and a byte of the package's cabinet
  # (the installed programs, compressed).
  manifest=$(grep -obaF requireAdministrator "$released/Zelvora.exe" |
    head -n 1 | cut -d: -f1)
  tampered Zelvora.exe payload "$manifest"
  tampered Zelvora.exe signature
  tampered Zelvora.exe resigned "$manifest"
  tampered "$msi" payload $(($(grep -obaF MSCF "$released/$msi" |
    head -n 1 | cut -d: -f1) + 64))

  # A byte changed in the package's signature: osslsigncode rejects it. The
  # verifier would rebuild for a signature it has not attached before; what
  # it does with a file identical to the rebuild whose signature does not
  # verify is shown without a rebuild, by trusting another CA.
  cp "$released/$msi" "$work/resealed.msi"
  tamper_signature "$work/resealed.msi"
  if osslsigncode verify -CAfile "$work/ca.pem" -in "$work/resealed.msi" \
    >/dev/null 2>&1; then
    fail "$msi with a byte of its signature changed: expected osslsigncode verify to reject it, it accepted it"
  fi
  openssl req -x509 -new -newkey rsa:2048 -nodes -keyout "$work/other-key.pem" \
    -subj '/CN=Another CA' -days 1 -out "$work/other-ca.pem" 2>/dev/null
  cafile=$work/other-ca.pem verify "$released"
  [ "$verified" -eq 1 ] ||
    fail "verify-release.sh, signatures of a CA not trusted: expected exit status 1, got $verified: $(cat "$work/verify.out")"
  for name in $files; do
    grep -q "^$name.*: differs from what was signed: its signature does not verify" "$work/verify.out" ||
      fail "verify-release.sh, signatures of a CA not trusted: expected '$name: differs from what was signed', got: $(cat "$work/verify.out")"
  done
fi

# A commit that builds another custom action than the release's (one byte
# changed in the kept rebuild's): it differs, the other files are
# identical.
if [ -s "$work/rebuilt/made-of" ]; then
  tamper_payload "$work/rebuilt/cache_removal.dll" 80  # in the DOS stub
  verify "$released"
  [ "$verified" -eq 1 ] ||
    fail "verify-release.sh, another custom action built: expected exit status 1, got $verified: $(cat "$work/verify.out")"
  grep -q "^cache_removal.dll (in $msi): differs" "$work/verify.out" ||
    fail "verify-release.sh, another custom action built: expected 'cache_removal.dll (in $msi): differs', got: $(cat "$work/verify.out")"
  for name in Zelvora.exe uninstall.exe "$msi"; do
    grep -q "^$name: identical$" "$work/verify.out" ||
      fail "verify-release.sh, another custom action built: expected '$name: identical', got: $(cat "$work/verify.out")"
  done
  tamper_payload "$work/rebuilt/cache_removal.dll" 80
fi

# --- What the verifier cannot rebuild: exit status 2, and why ----------------
# refused WHAT EXPECTED DIR [COMMIT]: the verifier on the release in DIR
# stops with exit status 2 and says EXPECTED.
refused() {
  verify "$3" "${4:-HEAD}"
  if [ "$verified" -ne 2 ]; then
    fail "verify-release.sh, $1: expected exit status 2, got $verified: $(cat "$work/verify.out")"
  elif ! grep -q -- "$2" "$work/verify.out"; then
    fail "verify-release.sh, $1: expected '$2', got: $(cat "$work/verify.out")"
  fi
}
if [ -s "$released/$msi" ]; then
  # A package without its signature.
  rm -rf "$work/unsigned"
  cp -r "$released" "$work/unsigned"
  rm "$work/unsigned/$msi"
  osslsigncode remove-signature -in "$released/$msi" \
    -out "$work/unsigned/$msi" >/dev/null
  refused "an unsigned package" "$msi: no signature to attach" \
    "$work/unsigned"
  # A commit whose build cannot attach signatures, named by its hash, and
  # then one that does not build.
  sed -i /ZELVORA_SIGN_FROM/d "$repo/cmake/Signing.cmake"
  commit_sources "Without ZELVORA_SIGN_FROM"
  before=$(git -C "$repo" rev-parse HEAD)
  git -C "$repo" checkout --quiet HEAD~1 -- cmake/Signing.cmake
  echo 'message(FATAL_ERROR "This commit does not build")' \
    >>"$repo/CMakeLists.txt"
  commit_sources "A commit that does not build"
  refused "a commit from before ZELVORA_SIGN_FROM" \
    "predates verifiable releases" "$released" "$before"
  refused "a commit that does not build" "the rebuild failed" "$released"
  grep -q "This commit does not build" "$work/verify.out" ||
    fail "verify-release.sh, a commit that does not build: expected the end of the build's log, got: $(cat "$work/verify.out")"
fi

if [ "$failures" -ne 0 ]; then
  echo "verify_release_test: $failures failure(s)" >&2
  exit 1
fi
echo "verify_release_test: passed"

