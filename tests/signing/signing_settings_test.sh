#!/usr/bin/env bash
# The signing settings an operator can get wrong stop the build before
# anything is built or signed, and a file that cannot be signed does not stay
# where a signed one belongs. Each case configures a project that holds
# nothing but cmake/Signing.cmake (quick), or runs cmake/sign_file.cmake on a
# copy of a shipped program.
#
#   signing_settings_test.sh SOURCE_DIR PROGRAM_DIR
set -euo pipefail
source_dir=$1
program_dir=$2
. "$(dirname "$0")/test_certificates.sh"

work=$(mktemp -d /tmp/zelvora-signing-settings.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset ZELVORA_SIGN_PASSWORD

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

printf 'test password\n' >"$work/password"
make_test_certificates "$work" "$work/password" >/dev/null 2>&1
mkdir "$work/project" "$work/release"
cat >"$work/project/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(signing_settings NONE)
include("$source_dir/cmake/Signing.cmake")
CMAKE

# configure NAME SETTING=VALUE...: configures the project in a build folder
# of its own, with only these signing settings; its output in $output.
output=
configure() {
  local name=$1 status=0
  shift
  output=$(cmake -S "$work/project" -B "$work/build-$name" \
    "${@/#/-D}" 2>&1) || status=$?
  return $status
}

# refused NAME EXPECTED SETTING=VALUE...: the configuration stops saying
# EXPECTED (a fixed string).
refused() {
  local name=$1 expected=$2
  shift 2
  if configure "$name" "$@"; then
    fail "$name: expected the configuration to stop ($expected), it passed"
  elif ! grep -qF -- "$expected" <<<"$output"; then
    fail "$name: expected \"$expected\", got: $(grep -m1 'Signing' <<<"$output" || tail -n1 <<<"$output")"
  fi
}

no_certificate="is set but no certificate is"
refused key_alone "ZELVORA_SIGN_KEY $no_certificate" \
  "ZELVORA_SIGN_KEY=$work/signer-key.pem"
refused password_file_alone "ZELVORA_SIGN_PASSWORD_FILE $no_certificate" \
  "ZELVORA_SIGN_PASSWORD_FILE=$work/password"
refused timestamp_alone "ZELVORA_SIGN_TIMESTAMP_URL $no_certificate" \
  "ZELVORA_SIGN_TIMESTAMP_URL=http://127.0.0.1:9"
refused key_with_signatures "ZELVORA_SIGN_KEY $no_certificate" \
  "ZELVORA_SIGN_FROM=$work/release" "ZELVORA_SIGN_KEY=$work/signer-key.pem"
refused pkcs12_and_certs "not both" "ZELVORA_SIGN_PKCS12=$work/signer.p12" \
  "ZELVORA_SIGN_CERTS=$work/chain.pem" "ZELVORA_SIGN_KEY=$work/signer-key.pem"
refused certs_without_key "ZELVORA_SIGN_CERTS needs ZELVORA_SIGN_KEY" \
  "ZELVORA_SIGN_CERTS=$work/chain.pem"
refused certificate_and_signatures "not both" \
  "ZELVORA_SIGN_FROM=$work/release" "ZELVORA_SIGN_PKCS12=$work/signer.p12"
refused missing_pkcs12 "ZELVORA_SIGN_PKCS12: no file" \
  "ZELVORA_SIGN_PKCS12=$work/missing.p12"
refused missing_password_file "ZELVORA_SIGN_PASSWORD_FILE: no file" \
  "ZELVORA_SIGN_PKCS12=$work/signer.p12" \
  "ZELVORA_SIGN_PASSWORD_FILE=$work/missing"

# The settings that do sign configure, and what sign_file.cmake runs with.
if ! configure pkcs12 "ZELVORA_SIGN_PKCS12=$work/signer.p12" \
  "ZELVORA_SIGN_PASSWORD_FILE=$work/password"; then
  fail "pkcs12: expected the configuration to pass, got: $(tail -n3 <<<"$output")"
fi
settings=$work/build-pkcs12/zelvora_signing.cmake

# sign NAME FILE [ARGS...]: sign_file.cmake signs FILE in place; its output
# in $output.
sign() {
  local name=$1 file=$2 status=0
  shift 2
  output=$(cmake "-DSETTINGS=$settings" "-DIN=$file" "$@" \
    -P "$source_dir/cmake/sign_file.cmake" 2>&1) || status=$?
  return $status
}

# A program signed with the right password: the copy the later cases take
# signatures from.
cp "$program_dir/uninstall.exe" "$work/release/uninstall.exe"
sign good "$work/release/uninstall.exe" ||
  fail "good: expected uninstall.exe signed, got: $output"

# A password given both ways is refused, and the unsigned copy goes.
cp "$program_dir/uninstall.exe" "$work/twice.exe"
if ZELVORA_SIGN_PASSWORD=other sign twice "$work/twice.exe"; then
  fail "twice: expected the password given twice refused, it signed"
elif ! grep -qF "the password is given twice" <<<"$output"; then
  fail "twice: expected \"the password is given twice\", got: $output"
fi

# A signature that cannot be made (the wrong password) stops, and the
# unsigned program is removed rather than left where a signed one belongs.
printf 'wrong\n' >"$work/password"
cp "$program_dir/uninstall.exe" "$work/wrong.exe"
if sign wrong_password "$work/wrong.exe"; then
  fail "wrong_password: expected signing to fail, it passed"
elif [ -e "$work/wrong.exe" ]; then
  fail "wrong_password: expected the unsigned wrong.exe removed, it stays"
fi

# Another program's signature is refused: the result would not be the
# signed program the release holds. The program it was given is removed.
cp "$program_dir/Zelvora.exe" "$work/other.exe"
if sign other_program "$work/other.exe" \
  "-DSIGNATURE_FROM=$work/release/uninstall.exe"; then
  fail "other_program: expected uninstall.exe's signature refused for Zelvora.exe, it was attached"
elif [ -e "$work/other.exe" ]; then
  fail "other_program: expected other.exe removed, it stays"
fi
# The same program's signature gives exactly the signed program.
cp "$program_dir/uninstall.exe" "$work/same.exe"
if ! sign same_program "$work/same.exe" \
  "-DSIGNATURE_FROM=$work/release/uninstall.exe"; then
  fail "same_program: expected the signature attached, got: $output"
elif ! cmp -s "$work/same.exe" "$work/release/uninstall.exe"; then
  fail "same_program: expected the signed uninstall.exe byte for byte"
fi

[ "$failures" -eq 0 ] || echo "$failures signing settings cases failed" >&2
[ "$failures" -eq 0 ]
