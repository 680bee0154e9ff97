#!/usr/bin/env bash
# scripts/verify-release.sh refuses, with exit status 2 and the reason, what
# it cannot compare: before it rebuilds anything, and a release of another
# version than the commit builds above all (a rebuild would then only say
# "differs").
#
#   verify_release_refusals_test.sh SOURCE_DIR PROGRAM_DIR CEF_ROOT
#
# PROGRAM_DIR holds the i686 Zelvora.exe and uninstall.exe of this source
# tree; their version is HEAD's as long as the version is committed.
set -euo pipefail
source_dir=$1
program_dir=$2
cef_root=$3
verifier=$source_dir/scripts/verify-release.sh

work=$(mktemp -d /tmp/zelvora-refusals.XXXXXX)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

version=$(git -C "$source_dir" show HEAD:CMakeLists.txt |
  sed -n 's/^project(Zelvora VERSION \([0-9.]*\).*/\1/p')
# Another version, as long as this one: its last digit changed.
other=${version%?}$(((${version: -1} + 1) % 10))

# release DIR [MSI-NAME]: the programs of PROGRAM_DIR and a stand-in package
# (the verifier reads no package before the checks below).
release() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "$program_dir/Zelvora.exe" "$program_dir/uninstall.exe" "$1/"
  echo "not a package" >"$1/${2:-Zelvora-$version.msi}"
}

# with_version FILE VERSION: FILE's ProductVersion string changed to VERSION
# (of the same length).
with_version() {
  python3 - "$1" "$2" <<'EOF'
import sys
path, version = sys.argv[1], sys.argv[2].encode("utf-16-le")
data = bytearray(open(path, "rb").read())
at = data.find("ProductVersion\0".encode("utf-16-le"))
assert at >= 0, "no ProductVersion"
at += len("ProductVersion\0") * 2
while data[at:at + 2] == b"\0\0":
    at += 2
data[at:at + len(version)] = version
open(path, "wb").write(data)
EOF
}

# refused WHAT EXPECTED [ARGS...]: the verifier, run with ARGS, exits with 2
# and says EXPECTED (a grep -E pattern) without rebuilding anything.
refused() {
  local what=$1 expected=$2 status=0
  shift 2
  (cd "$work" && "$@") >"$work/out" 2>&1 || status=$?
  if [ "$status" -ne 2 ]; then
    fail "$what: expected exit status 2, got $status: $(cat "$work/out")"
  elif ! grep -qE -- "$expected" "$work/out"; then
    fail "$what: expected '$expected', got: $(cat "$work/out")"
  elif grep -q rebuilding "$work/out"; then
    fail "$what: expected a refusal before any rebuild, got: $(cat "$work/out")"
  fi
}
# The verifier, stopped should it hang.
verify() {
  CEF_ROOT=$cef_root timeout 60 "$verifier" "$@"
}

release "$work/r"
refused "no arguments" "usage: " verify
refused "three arguments" "usage: " verify "$work/r" HEAD extra
refused "no CEF_ROOT" "CEF_ROOT is not set" \
  env -u CEF_ROOT timeout 60 "$verifier" "$work/r"
refused "a CEF_ROOT that leads nowhere" \
  "CEF_ROOT=$work/none/cef is no folder" \
  env CEF_ROOT="$work/none/cef" timeout 60 "$verifier" "$work/r"
refused "a release folder that leads nowhere" "$work/none/r is no folder" \
  verify "$work/none/r"
refused "no such commit" "no-such-tag is no commit" \
  verify "$work/r" no-such-tag

mkdir -p "$work/empty"
refused "no package" "expected one .msi, found 0" verify "$work/empty"
release "$work/two"
echo "not a package" >"$work/two/Zelvora-$other.msi"
refused "two packages" "expected one .msi, found 2" verify "$work/two"
for name in Zelvora.exe uninstall.exe; do
  release "$work/missing"
  rm "$work/missing/$name"
  refused "no $name" "has no $name" verify "$work/missing"

  # A release of another version, or one program of it.
  release "$work/other"
  with_version "$work/other/$name" "$other"
  refused "$name of version $other" \
    "$name is version $other, but HEAD \([0-9a-f]{40}\) builds $version" \
    verify "$work/other" HEAD
  release "$work/plain"
  echo "no program" >"$work/plain/$name"
  refused "$name without a version resource" "$name: no version resource" \
    verify "$work/plain"
  # Cut off in the middle of its version.
  printf 'ProductVersion\0\0\0\0001' | iconv -t UTF-16LE >"$work/plain/$name"
  refused "$name cut off in its version" "$name is version 1, but" \
    verify "$work/plain"
done
release "$work/msi" "Zelvora-$other.msi"
refused "a package named for version $other" \
  "Zelvora-$other.msi: expected Zelvora-$version.msi" verify "$work/msi"
# The version checks pass; what it names a package holds no custom action.
release "$work/r"
refused "a package that is none" \
  "Zelvora-$version.msi holds no custom action" verify "$work/r"

if [ "$failures" -ne 0 ]; then
  echo "verify_release_refusals_test: $failures failure(s)" >&2
  exit 1
fi
echo "verify_release_refusals_test: passed"
