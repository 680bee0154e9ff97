#!/usr/bin/env bash
# Signed releases, end to end, with a code-signing certificate made for this
# run (a test CA and a signer with the code-signing extended key usage) and
# deleted after it. The i686 programs of a test build are packaged and
# installed by a release build in miniature (release/CMakeLists.txt) that
# uses the release's own packaging and signing rules; osslsigncode, trusting
# only the test CA, then checks what came out the way a Windows machine
# would check it.
#
#   signing_test.sh SOURCE_DIR PROGRAM_DIR SIGNED_DIR
#
# PROGRAM_DIR holds the i686 Zelvora.exe and uninstall.exe; SIGNED_DIR gets
# the signed programs as the signed package installs them, for the static
# PE checks that run after this test. (verify_release_test.sh checks a
# signed release against its rebuild.)
set -euo pipefail
source_dir=$1
program_dir=$2
signed_dir=$3

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
# A password that would not survive a careless trip through a shell.
password='test pass $HOME "x"'
printf '%s\n' "$password" >"$work/password"
. "$source_dir/tests/signing/test_certificates.sh"
make_test_certificates "$work" "$work/password" ||
  { echo "FAIL: could not make the test certificates" >&2; exit 1; }

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

if [ "$failures" -ne 0 ]; then
  echo "signing_test: $failures failure(s)" >&2
  exit 1
fi
echo "signing_test: passed"
