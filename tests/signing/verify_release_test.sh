#!/usr/bin/env bash
# scripts/verify-release.sh on a signed release: the one file a byte was
# changed in (in what it signs, or in its signature, or signed anew)
# "differs" and the others stay identical; a signature it cannot trust does
# not verify; and what it cannot rebuild stops it with exit status 2.
#
#   verify_release_test.sh RELEASE_DIR
#
# RELEASE_DIR is what reproducible_build_test.sh left: a commit of this
# source tree (sources/), a signed release of the test build's programs
# (released/) that the verifier found identical to its rebuild of that
# commit, the rebuild it kept (rebuilt/), the CEF distribution it was built
# from (cef/), the release's certificate and key, and the commit's time
# (epoch). The verifier compares with that rebuild again rather than
# building the commit once more. RELEASE_DIR goes once this test passed.
set -euo pipefail
dir=$1

[ -s "$dir/rebuilt/made-of" ] || {
  echo "FAIL: no rebuild in $dir: reproducible_build_test makes it" >&2
  exit 1
}
work=$(mktemp -d /tmp/zelvora-verify-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset ZELVORA_SIGN_PASSWORD SOURCE_DATE_EPOCH
epoch=$(cat "$dir/epoch")
cef_root=$dir/cef/binary-distribution
repo=$dir/sources
released=$dir/released
password='test pass'

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# commit_sources MESSAGE: the index and a commit of what $repo holds.
commit_sources() {
  git -C "$repo" add -A &&
    GIT_AUTHOR_DATE="@$epoch +0000" GIT_COMMITTER_DATE="@$epoch +0000" \
      git -C "$repo" -c user.name=Test -c user.email=test@invalid \
      commit --quiet --allow-empty -m "$1"
}
version=$(sed -n 's/^project(Zelvora VERSION \([0-9.]*\).*/\1/p' \
  "$repo/CMakeLists.txt")

# --- The verifier -------------------------------------------------------------
# verify DIR [COMMIT]: runs the commit's verifier on the release in DIR; its
# output in $work/verify.out, its exit status in $verified. Given the same
# signatures as the release, it compares with the kept rebuild.
# ZELVORA_VERIFY_CAFILE may be set to another CA.
verify() {
  verified=0
  CEF_ROOT=$cef_root ZELVORA_VERIFY_CAFILE=${cafile:-$dir/ca.pem} \
    ZELVORA_VERIFY_KEEP=$dir/rebuilt \
    "$repo/scripts/verify-release.sh" "$1" "${2:-HEAD}" >"$work/verify.out" \
    2>&1 || verified=$?
}
msi=Zelvora-$version.msi
files="Zelvora.exe uninstall.exe $msi cache_removal.dll"

# Compared with the kept rebuild, not built again.
verify "$released"
if [ "$verified" -ne 0 ]; then
  fail "verify-release.sh on the signed release: expected exit status 0, got $verified: $(cat "$work/verify.out")"
fi
grep -q "^verify-release: comparing with the rebuild of" "$work/verify.out" ||
  fail "verify-release.sh on the signed release: expected it to compare with the rebuild in $dir/rebuilt, got: $(cat "$work/verify.out")"
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
  printf '%s' "$password" | osslsigncode sign -pkcs12 "$dir/signer.p12" \
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
if osslsigncode verify -CAfile "$dir/ca.pem" -in "$work/resealed.msi" \
  >/dev/null 2>&1; then
  fail "$msi with a byte of its signature changed: expected osslsigncode verify to reject it, it accepted it"
fi
. "$repo/tests/signing/test_certificates.sh"
test_key other-ca "$work/other-key.pem"
openssl req -x509 -new -key "$work/other-key.pem" -subj '/CN=Another CA' \
  -days 1 -out "$work/other-ca.pem" 2>/dev/null
cafile=$work/other-ca.pem verify "$released"
[ "$verified" -eq 1 ] ||
  fail "verify-release.sh, signatures of a CA not trusted: expected exit status 1, got $verified: $(cat "$work/verify.out")"
for name in $files; do
  grep -q "^$name.*: differs from what was signed: its signature does not verify" "$work/verify.out" ||
    fail "verify-release.sh, signatures of a CA not trusted: expected '$name: differs from what was signed', got: $(cat "$work/verify.out")"
done

# A commit that builds another custom action than the release's (one byte
# changed in the kept rebuild's): it differs, the other files are
# identical.
tamper_payload "$dir/rebuilt/cache_removal.dll" 80  # in the DOS stub
verify "$released"
[ "$verified" -eq 1 ] ||
  fail "verify-release.sh, another custom action built: expected exit status 1, got $verified: $(cat "$work/verify.out")"
grep -q "^cache_removal.dll (in $msi): differs" "$work/verify.out" ||
  fail "verify-release.sh, another custom action built: expected 'cache_removal.dll (in $msi): differs', got: $(cat "$work/verify.out")"
for name in Zelvora.exe uninstall.exe "$msi"; do
  grep -q "^$name: identical$" "$work/verify.out" ||
    fail "verify-release.sh, another custom action built: expected '$name: identical', got: $(cat "$work/verify.out")"
done
tamper_payload "$dir/rebuilt/cache_removal.dll" 80

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
# (It stops before CMake looks for compilers: that would only cost time.)
sed -i '1a message(FATAL_ERROR "This commit does not build")' \
  "$repo/CMakeLists.txt"
commit_sources "A commit that does not build"
refused "a commit from before ZELVORA_SIGN_FROM" \
  "predates verifiable releases" "$released" "$before"
refused "a commit that does not build" "the rebuild failed" "$released"
grep -q "This commit does not build" "$work/verify.out" ||
  fail "verify-release.sh, a commit that does not build: expected the end of the build's log, got: $(cat "$work/verify.out")"

if [ "$failures" -ne 0 ]; then
  echo "verify_release_test: $failures failure(s)" >&2
  exit 1
fi
rm -rf "$dir"
echo "verify_release_test: passed"

