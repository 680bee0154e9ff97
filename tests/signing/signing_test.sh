#!/usr/bin/env bash
# Signed releases, end to end, with a code-signing certificate made for this
# run (a test CA and a signer with the code-signing extended key usage) and
# deleted after it. The i686 programs of a test build are packaged and
# installed by a release build in miniature (release/CMakeLists.txt) that
# uses the release's own packaging and signing rules; osslsigncode, trusting
# only the test CA, then checks what came out the way a Windows machine
# would check it.
#
#   signing_test.sh SOURCE_DIR PROGRAM_DIR SIGNED_DIR CEF_ROOT
#
# PROGRAM_DIR holds the i686 Zelvora.exe and uninstall.exe; SIGNED_DIR gets
# the signed programs as the signed package installs them, for the static
# PE checks that run after this test. Last, a signed release of HEAD is
# built from CEF_ROOT (the i686 CEF test double's distribution) and
# scripts/verify-release.sh rebuilds and compares it.
set -euo pipefail
source_dir=$1
program_dir=$2
signed_dir=$3
cef_root=$4

work=$(mktemp -d /tmp/zelvora-signing.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Only what each step below hands over.
unset ZELVORA_SIGN_PASSWORD

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# --- A throwaway CA and code-signing certificate --------------------------
cat >"$work/openssl.cnf" <<'EOF'
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
# A password that would not survive a careless trip through a shell.
password='test pass $HOME "x"'
printf '%s\n' "$password" >"$work/password"
(
  cd "$work"
  openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 \
    -out ca-key.pem
  openssl req -x509 -new -key ca-key.pem -subj '/CN=Zelvora Test CA' \
    -days 1 -config openssl.cnf -extensions ca -out ca.pem
  openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 \
    -aes-256-cbc -pass file:password -out signer-key.pem
  openssl req -new -key signer-key.pem -passin file:password \
    -subj '/CN=Zelvora Test Signer' -out signer.csr
  openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca-key.pem \
    -CAcreateserial -days 1 -extfile openssl.cnf -extensions signer \
    -out signer.pem 2>/dev/null
  cat signer.pem ca.pem >chain.pem
  # openssl reads one password file once: a copy for the second password.
  cp password password-out
  openssl pkcs12 -export -in signer.pem -inkey signer-key.pem \
    -passin file:password -certfile ca.pem -passout file:password-out \
    -out signer.p12
) || { echo "FAIL: could not make the test certificates" >&2; exit 1; }

# --- Helpers ---------------------------------------------------------------
# A CEF runtime stand-in laid out like a binary distribution's.
cmake -DCEF_STAND_IN="$work/cef" \
  -P "$source_dir/tests/support/cef_stand_in.cmake"

# release DIR [CMAKE-ARGS...]: configures the miniature release build.
release() {
  local dir=$1
  shift
  cmake -S "$source_dir/tests/signing/release" -B "$dir" \
    -DZELVORA_SOURCE_DIR="$source_dir" -DPROGRAM_DIR="$program_dir" \
    -DCEF_STAND_IN="$work/cef" "$@" >"$dir.log" 2>&1
}

# build DIR: builds the package and installs into DIR/dist.
build() {
  cmake --build "$1" >>"$1.log" 2>&1 &&
    cmake --install "$1" --prefix "$1/dist" --strip >>"$1.log" 2>&1
}

# extract MSI DIR: the package's files, as Windows Installer installs them.
extract() {
  mkdir -p "$2"
  msiextract -C "$2" "$1" >/dev/null
  find "$2" -name Zelvora.exe -printf '%h\n'
}

# signed_ok FILE: a valid SHA-256 Authenticode signature by the test signer.
signed_ok() {
  local log=$work/verify.log
  if ! osslsigncode verify -CAfile "$work/ca.pem" -in "$1" >"$log" 2>&1; then
    fail "$1: expected a valid signature, osslsigncode verify said: $(tail -n 5 "$log")"
  elif ! grep -q '^Message digest algorithm *: SHA256' "$log" ||
    ! grep -q 'Subject: /CN=Zelvora Test Signer' "$log"; then
    fail "$1: expected a SHA-256 signature by the test signer, got: $(grep -i 'digest algorithm\|subject' "$log")"
  fi
}

# unsigned FILE: no signature at all.
unsigned() {
  local said
  said=$(osslsigncode verify -in "$1" 2>&1 || true)
  grep -qi 'no signature' <<<"$said" ||
    fail "$1: expected no signature, osslsigncode verify said: $said"
}

# --- Settings that cannot sign stop the configure step ---------------------
if release "$work/slip" -DZELVORA_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/; then
  fail "a time-stamping address without a certificate configured; expected an error"
elif ! grep -q 'no certificate is' "$work/slip.log"; then
  fail "a time-stamping address without a certificate: expected the reason, got: $(cat "$work/slip.log")"
fi

# --- Unsigned: the package holds the programs exactly as stripped ----------
# Stripping stamps the PE header with this; every build below is given it,
# so that signed and unsigned builds can be compared.
export SOURCE_DATE_EPOCH=1700000000
unsigned_build=$work/unsigned
unsigned_payload=
if release "$unsigned_build" && build "$unsigned_build"; then
  msi=$unsigned_build/Zelvora-1.0.0.msi
  unsigned "$msi"
  unsigned_payload=$(extract "$msi" "$work/unsigned-payload")
  for program in Zelvora.exe uninstall.exe; do
    cmake -DOBJCOPY=i686-w64-mingw32-objcopy \
      -DSOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" -DIN="$program_dir/$program" \
      -DOUT="$work/stripped-$program" \
      -P "$source_dir/cmake/ship_program.cmake"
    cmp -s "$work/stripped-$program" "$unsigned_payload/$program" ||
      fail "unsigned package: $program differs from the stripped program"
    cmp -s "$work/stripped-$program" "$unsigned_build/dist/$program" ||
      fail "unsigned dist/$program differs from the stripped program"
    unsigned "$unsigned_build/dist/$program"
  done
else
  fail "the unsigned build failed: $(tail -n 20 "$unsigned_build.log")"
fi

# same_unsigned SIGNED UNSIGNED: SIGNED without its signature is UNSIGNED,
# byte for byte.
same_unsigned() {
  local bare=$work/bare-$(basename "$1")
  rm -f "$bare"
  if ! osslsigncode remove-signature -in "$1" -out "$bare" >/dev/null 2>&1; then
    fail "$1: osslsigncode could not remove its signature"
  elif ! said=$(python3 "$source_dir/tests/reproducible/first_difference.py" \
    "$bare" "$2"); then
    fail "$1 without its signature: expected the unsigned $2; $said"
  fi
}

# same_contents PACKAGE PACKAGE: the same tables and streams (osslsigncode
# lays a signed package's compound file out anew, so the container's bytes
# differ).
same_contents() {
  rm -rf "$work/contents-a" "$work/contents-b"
  mkdir "$work/contents-a" "$work/contents-b"
  # msidump writes the Binary table's files into its current folder
  # whatever -d says: each dump runs in its own folder.
  (cd "$work/contents-a" && msidump -t -s -d . "$1" >/dev/null) &&
    (cd "$work/contents-b" && msidump -t -s -d . "$2" >/dev/null) &&
    diff -r "$work/contents-a" "$work/contents-b" >"$work/contents.diff" ||
    fail "$1: expected the tables and streams of $2, got: $(head -n 20 "$work/contents.diff")"
}

# --- Signed with PKCS#12, the password in the environment -----------------
signed_build=$work/signed
if release "$signed_build" -DZELVORA_SIGN_PKCS12="$work/signer.p12" &&
  ZELVORA_SIGN_PASSWORD=$password build "$signed_build"; then
  msi=$signed_build/Zelvora-1.0.0.msi
  signed_ok "$msi"
  payload=$(extract "$msi" "$work/signed-payload")
  for program in Zelvora.exe uninstall.exe; do
    signed_ok "$payload/$program"
    signed_ok "$signed_build/dist/$program"
    [ -x "$signed_build/dist/$program" ] ||
      fail "dist/$program: expected it executable after signing"
  done
  rm -rf "$signed_dir"
  mkdir -p "$signed_dir"
  cp "$payload/Zelvora.exe" "$payload/uninstall.exe" "$signed_dir/"

  # A signed release differs from an unsigned build only by its signatures:
  # the programs byte for byte, the package by its contents as wixl built it
  # (holding the signed programs).
  for program in Zelvora.exe uninstall.exe; do
    same_unsigned "$signed_build/dist/$program" \
      "$unsigned_build/dist/$program"
    [ -z "$unsigned_payload" ] ||
      same_unsigned "$payload/$program" "$unsigned_payload/$program"
  done
  osslsigncode remove-signature -in "$msi" -out "$work/bare.msi" >/dev/null
  same_contents "$work/bare.msi" "$signed_build/package-payload/Zelvora-1.0.0.msi"

  # The signature covers the resources: one byte of the manifest changed
  # (the execution level Windows elevates by) and the file is rejected.
  cp "$payload/Zelvora.exe" "$work/tampered.exe"
  offset=$(grep -obaF requireAdministrator "$work/tampered.exe" |
    head -n 1 | cut -d: -f1)
  if [ -z "$offset" ]; then
    fail "Zelvora.exe: no requireAdministrator in its manifest to change"
  else
    printf 'R' | dd of="$work/tampered.exe" bs=1 seek="$offset" \
      conv=notrunc status=none
    if osslsigncode verify -CAfile "$work/ca.pem" -in "$work/tampered.exe" \
      >"$work/tampered.log" 2>&1; then
      fail "Zelvora.exe changed after signing: expected it rejected, osslsigncode accepted it"
    fi
  fi
else
  fail "the signed build failed: $(tail -n 20 "$signed_build.log")"
fi

# --- Signed with a PEM chain and key, the password in a file ---------------
# First with a time-stamping service that cannot be reached: no signature,
# so the build fails and leaves no package behind.
pem_build=$work/pem
pem_settings=(-DZELVORA_SIGN_CERTS="$work/chain.pem"
  -DZELVORA_SIGN_KEY="$work/signer-key.pem"
  -DZELVORA_SIGN_PASSWORD_FILE="$work/password")
if release "$pem_build" "${pem_settings[@]}" \
  -DZELVORA_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/; then
  if build "$pem_build"; then
    fail "signing with an unreachable time-stamping service: expected the build to fail, it succeeded"
  elif ! grep -q 'Could not sign .*Zelvora.exe' "$pem_build.log"; then
    fail "signing with an unreachable time-stamping service: expected 'Could not sign', got: $(tail -n 20 "$pem_build.log")"
  fi
  [ ! -e "$pem_build/Zelvora-1.0.0.msi" ] ||
    fail "a build whose signature failed left a package behind"
  # Then without time-stamping: the same build signs.
  if release "$pem_build" "${pem_settings[@]}" \
    -DZELVORA_SIGN_TIMESTAMP_URL= && build "$pem_build"; then
    signed_ok "$pem_build/Zelvora-1.0.0.msi"
    signed_ok "$pem_build/dist/uninstall.exe"
  else
    fail "the PEM-signed build failed: $(tail -n 20 "$pem_build.log")"
  fi
else
  fail "configuring the PEM-signed build failed: $(cat "$pem_build.log")"
fi

# --- A signed release, rebuilt byte for byte by scripts/verify-release.sh --
# The release is HEAD's, built in a clone as scripts/build.sh builds one (the
# verifier rebuilds a commit, so uncommitted changes are in neither), dated
# by the commit as a release is.
unset SOURCE_DATE_EPOCH
release_src=$work/release-src
git clone --quiet --no-checkout "$source_dir" "$release_src"
git -C "$release_src" checkout --quiet --detach \
  "$(git -C "$source_dir" rev-parse HEAD)"
released=$work/released
mkdir -p "$released"
if cmake -S "$release_src" -B "$work/release" \
  -DCMAKE_TOOLCHAIN_FILE="$release_src/cmake/toolchain-i686-mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCEF_ROOT="$cef_root" \
  -DZELVORA_SIGN_PKCS12="$work/signer.p12" >"$work/release.log" 2>&1 &&
  (
    export ZELVORA_SIGN_PASSWORD=$password
    cmake --build "$work/release" -j"$(nproc)" &&
      cmake --install "$work/release" --prefix "$work/release/dist" --strip
  ) >>"$work/release.log" 2>&1; then
  cp "$work/release/dist/Zelvora.exe" "$work/release/dist/uninstall.exe" \
    "$work/release/dist/"Zelvora-*.msi "$released/"
  # A release's Zelvora.exe is the one its package installs.
  cmp -s "$released/Zelvora.exe" \
    "$work/release/installer/zelvora_msi-payload/Zelvora.exe" ||
    fail "release: expected dist/Zelvora.exe to be the package's, signature included"
else
  fail "the signed release build failed: $(tail -n 20 "$work/release.log")"
fi

# verify DIR: runs the verifier on the release in DIR; its output in
# $work/verify.out, its exit status in $verified. The first run rebuilds
# HEAD; later runs given the same signatures compare with that rebuild (a
# package with a changed signature is rebuilt, as it would be anew).
verify() {
  verified=0
  CEF_ROOT=$cef_root ZELVORA_VERIFY_CAFILE=$work/ca.pem \
    ZELVORA_VERIFY_KEEP=$work/rebuilt \
    "$source_dir/scripts/verify-release.sh" "$1" HEAD >"$work/verify.out" \
    2>&1 || verified=$?
}
msi=$(cd "$released" && ls Zelvora-*.msi 2>/dev/null || echo Zelvora.msi)
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
  tampered "$msi" signature
fi

if [ "$failures" -ne 0 ]; then
  echo "signing_test: $failures failure(s)" >&2
  exit 1
fi
echo "signing_test: passed"
