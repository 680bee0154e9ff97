#!/usr/bin/env bash
# Rebuilds a signed release from its commit and compares it with the release,
# byte for byte, signatures included (README, "Reproducible builds").
#
#   CEF_ROOT=/path/to/cef_binary_3.2623.x_windows32 \
#     scripts/verify-release.sh RELEASED_DIR [COMMIT]
#
# RELEASED_DIR holds the released Zelvora.exe, uninstall.exe and
# Zelvora-<version>.msi; COMMIT (a tag or commit, by default this checkout's
# HEAD) must be the one whose version the programs carry. The commit is
# built in a temporary clone by the release's own build rules, which attach
# the release's signatures where a release build signs
# (ZELVORA_SIGN_FROM, cmake/Signing.cmake): the programs' and the custom
# action's as the package holds them, the package's own. No key is needed.
#
# One line per file: "identical", or "differs" and where
# (tests/reproducible/first_difference.py), or that its signature does not
# verify (osslsigncode verify; ZELVORA_VERIFY_CAFILE names a CA outside
# Debian's certificate store). Exit status 0 only when every file is
# identical and its signature verifies; 1 when not; 2 when nothing could be
# compared.
#
# ZELVORA_VERIFY_KEEP=<dir> keeps the rebuild's files in <dir>; a <dir> that
# already holds a rebuild of COMMIT from the same CEF_ROOT and signatures is
# compared with again, not rebuilt.
# SOURCE_DATE_EPOCH, when set, is used as by scripts/build.sh; by default
# the build takes the commit's time, as a release build does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/cmake.sh"

usage() {
  echo "usage: CEF_ROOT=<CEF distribution> $0 RELEASED_DIR [COMMIT]" >&2
  exit 2
}
die() {
  echo "verify-release: $*" >&2
  exit 2
}
[ $# -ge 1 ] && [ $# -le 2 ] || usage
# realpath -m: a path that leads nowhere is refused below, with exit status 2.
released=$(realpath -m -- "$1")
[ -d "$released" ] || die "$1 is no folder"
commit_name=${2:-HEAD}
[ -n "${CEF_ROOT:-}" ] || die "CEF_ROOT is not set: the CEF distribution the release was built with"
cef_root=$(realpath -m -- "$CEF_ROOT")
[ -d "$cef_root" ] || die "CEF_ROOT=$CEF_ROOT is no folder"
for tool in osslsigncode msiextract msiinfo python3; do
  command -v "$tool" >/dev/null || die "$tool is missing: run scripts/setup.sh build sign"
done

commit=$(git -C "$root" rev-parse --verify --quiet "$commit_name^{commit}") ||
  die "$commit_name is no commit of $root"

# --- What was released ------------------------------------------------------
shopt -s nullglob
msis=("$released"/*.msi)
shopt -u nullglob
[ ${#msis[@]} -eq 1 ] ||
  die "$released: expected one .msi, found ${#msis[@]}"
msi_name=$(basename "${msis[0]}")
for name in Zelvora.exe uninstall.exe; do
  [ -f "$released/$name" ] || die "$released has no $name"
done

# The ProductVersion strings of programs' version resources, one line each
# ("-" for a program that has none).
program_versions() {
  python3 - "$@" <<'EOF'
import sys
key = "ProductVersion\0".encode("utf-16-le")
for name in sys.argv[1:]:
    data = open(name, "rb").read()
    at = data.find(key)
    if at < 0:
        print("-")
        continue
    at += len(key)
    while data[at:at + 2] == b"\0\0":
        at += 2
    end = at
    while end < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    # One line, whatever the resource holds.
    print(data[at:end].decode("utf-16-le", "replace").encode("unicode_escape").decode())
EOF
}
version=$({ git -C "$root" show "$commit:CMakeLists.txt" 2>/dev/null || true; } |
  sed -n 's/^project(Zelvora VERSION \([0-9.]*\).*/\1/p')
[ -n "$version" ] || die "$commit_name: no version in its CMakeLists.txt"
names=(Zelvora.exe uninstall.exe)
carried=$(program_versions "${names[@]/#/$released/}") ||
  die "could not read the versions of $released's programs"
mapfile -t carried <<<"$carried"
for i in "${!names[@]}"; do
  name=${names[i]}
  [ "${carried[i]:--}" != - ] || die "$released/$name: no version resource"
  [ "${carried[i]}" = "$version" ] ||
    die "$released/$name is version ${carried[i]}, but $commit_name ($commit) builds $version: give the release's tag or commit"
done
[ "$msi_name" = "Zelvora-$version.msi" ] ||
  die "$released/$msi_name: expected Zelvora-$version.msi for version $version"

work=$(mktemp -d /tmp/zelvora-verify.XXXXXX)
trap 'rm -rf "$work"' EXIT

# --- The rebuild -------------------------------------------------------------
# The signatures to attach, from the files that carry them: the package's
# programs and custom action as it holds them (the released programs are to
# be those, compared below), and the package. A package whose programs
# cannot be read gives way to the released programs.
signatures=$work/signatures
mkdir -p "$signatures" "$work/package"
msiextract -C "$work/package" "${msis[0]}" >/dev/null 2>&1 || true
declare -A found=()
while IFS= read -r -d '' file; do
  [ -n "${found[${file##*/}]:-}" ] || found[${file##*/}]=$file
done < <(find "$work/package" -type f \( -name Zelvora.exe -o -name uninstall.exe \) -print0)
for name in Zelvora.exe uninstall.exe; do
  if [ -z "${found[$name]:-}" ]; then
    echo "verify-release: no $name to read in $msi_name; taking the signature of the released $name"
    found[$name]=$released/$name
  fi
done
cp "${found[Zelvora.exe]}" "$signatures/Zelvora.exe"
cp "${found[uninstall.exe]}" "$signatures/uninstall.exe"
msiinfo extract "${msis[0]}" Binary.CacheRemoval \
  >"$signatures/cache_removal.dll" ||
  die "$msi_name holds no custom action (Binary table, CacheRemoval)"
cp "${msis[0]}" "$signatures/"
# The rebuild is made of the commit, the CEF distribution and these
# signatures alone: a kept one with the same is compared with again.
signed=(Zelvora.exe uninstall.exe cache_removal.dll "$msi_name")
mkdir "$work/attached"
for name in "${signed[@]}"; do
  osslsigncode extract-signature -in "$signatures/$name" \
    -out "$work/attached/$name" >/dev/null 2>&1 ||
    die "$name: no signature to attach (from $msi_name or $released)"
done
{
  (cd "$work/attached" && sha256sum -- "${signed[@]}")
  echo "$commit $cef_root"
} >"$work/signatures.sum"

rebuilt=${ZELVORA_VERIFY_KEEP:-$work/rebuilt}
if [ -n "${ZELVORA_VERIFY_KEEP:-}" ] &&
  cmp -s "$rebuilt/made-of" "$work/signatures.sum"; then
  echo "verify-release: comparing with the rebuild of $commit in $rebuilt"
else
  echo "verify-release: rebuilding $commit_name ($commit) in $work"
  git clone --quiet --no-checkout "$root" "$work/src"
  git -C "$work/src" checkout --quiet --detach "$commit"
  grep -q ZELVORA_SIGN_FROM "$work/src/cmake/Signing.cmake" ||
    die "$commit_name predates verifiable releases: its build cannot attach signatures (ZELVORA_SIGN_FROM)"
  # As scripts/build.sh configures a release, but with signatures to attach
  # instead of a key.
  for setting in ZELVORA_SIGN_PKCS12 ZELVORA_SIGN_CERTS ZELVORA_SIGN_KEY \
    ZELVORA_SIGN_PASSWORD_FILE ZELVORA_SIGN_PASSWORD \
    ZELVORA_SIGN_TIMESTAMP_URL; do
    unset "$setting"
  done
  log=$work/build.log
  if ! { cmake -S "$work/src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCEF_ROOT="$cef_root" \
    -DZELVORA_SIGN_FROM="$signatures" &&
    cmake --build "$work/build" -j"$(nproc)" &&
    cmake --install "$work/build" --prefix "$work/dist" --strip; } \
    >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    die "the rebuild failed (above: the end of its log)"
  fi
  mkdir -p "$rebuilt"
  rm -f "$rebuilt/made-of"
  cp "$work/dist/Zelvora.exe" "$work/dist/uninstall.exe" \
    "$work/dist/$msi_name" \
    "$work/build/installer/zelvora_msi-payload/cache_removal.dll" "$rebuilt/"
  cp "$work/signatures.sum" "$rebuilt/made-of"
fi

# --- The comparison ----------------------------------------------------------
ca_args=()
[ -z "${ZELVORA_VERIFY_CAFILE:-}" ] || ca_args=(-CAfile "$ZELVORA_VERIFY_CAFILE")
status=0
# compare LABEL RELEASED REBUILT
compare() {
  local said
  # cmp decides; first_difference.py, which parses both files, only says
  # where they differ.
  if ! cmp -s "$2" "$3"; then
    said=$(python3 "$root/tests/reproducible/first_difference.py" "$2" "$3") ||
      true
    echo "$1: differs: $said"
    status=1
  elif ! said=$(osslsigncode verify "${ca_args[@]}" -in "$2" 2>&1); then
    echo "$1: differs from what was signed: its signature does not verify (osslsigncode: $(grep -m1 -E 'MISMATCH|Error:|signature failure|No signature' <<<"$said" || tail -n 1 <<<"$said"))"
    status=1
  else
    echo "$1: identical"
  fi
}
compare Zelvora.exe "$released/Zelvora.exe" "$rebuilt/Zelvora.exe"
compare uninstall.exe "$released/uninstall.exe" "$rebuilt/uninstall.exe"
compare "$msi_name" "${msis[0]}" "$rebuilt/$msi_name"
compare "cache_removal.dll (in $msi_name)" "$signatures/cache_removal.dll" \
  "$rebuilt/cache_removal.dll"
exit $status
