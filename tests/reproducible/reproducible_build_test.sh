#!/usr/bin/env bash
# Reproducible builds: a second release build (i686, Release) of the sources
# the test build's i686 programs came from, in a folder of another name and
# depth, with its own umask, locale, time zone and wall clock (a year ahead
# under faketime), builds the same bytes as that build: uninstall.exe,
# Zelvora.exe on the CEF test double, its package, and what `cmake --install
# --strip` puts into dist/. Where two files differ, first_difference.py
# names the first differing offset and the PE or package field it lies in.
#
#   reproducible_build_test.sh SOURCE_DIR FIRST_BUILD CEF_ROOT
#
# FIRST_BUILD: the test build's i686 build folder (scripts/test.sh builds
# its programs and package), built from SOURCE_DIR and CEF_ROOT, the i686
# CEF distribution (the test double's, laid out as a distribution). The
# second build gets copies of both at paths of its own, and the first
# build's time only as SOURCE_DATE_EPOCH when it is configured.
set -euo pipefail
source_dir=$1
first_build=$2
cef_root=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d /tmp/zelvora-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The one time the first build wrote (cmake/Reproducible.cmake):
# SOURCE_DATE_EPOCH where scripts/test.sh was given one, or else the time of
# the commit the sources are checked out at.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
unset SOURCE_DATE_EPOCH

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The sources as a checkout has them: tracked files and new ones, not what
# .gitignore leaves out (build trees, dist/).
copy_sources() {
  mkdir -p "$1"
  (cd "$source_dir" &&
    git ls-files -z --cached --others --exclude-standard |
    xargs -0 cp --parents --no-dereference -t "$1" 2>/dev/null) ||
    { echo "FAIL: could not copy the sources to $1" >&2; exit 1; }
}

# build SOURCES BUILD CEF: configure, build what ships and a package,
# install.
build() {
  SOURCE_DATE_EPOCH=$epoch cmake -S "$1" -B "$2" \
    -DCMAKE_TOOLCHAIN_FILE="$1/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCEF_ROOT="$3" >"$2.log" 2>&1 &&
    cmake --build "$2" -j2 --target uninstall Zelvora zelvora_msi \
      >>"$2.log" 2>&1 &&
    cmake --install "$2" --prefix "$2/dist" --strip >>"$2.log" 2>&1
}

second=$work/the-second-place/b/zelvora-sources
copy_sources "$second"
mkdir -p "$work/the-second-place/cef"
cp -r "$cef_root" "$work/the-second-place/cef/binary-distribution"

# What the first build installs, as the second does.
mkdir -p "$work/a"
ln -s "$first_build/bin" "$work/a/bin"
cmake --install "$first_build" --prefix "$work/a/dist" --strip \
  >"$work/a/install.log" 2>&1 ||
  fail "installing the first build failed: $(tail -n 20 "$work/a/install.log")"
# The second a year ahead, so that a wall-clock time that gets into a file
# shows.
(umask 077 && LC_ALL=C.UTF-8 TZ=Pacific/Kiritimati \
  faketime -f +365d bash -c "epoch=$epoch; $(declare -f build); build '$second' '$work/b' '$work/the-second-place/cef/binary-distribution'") ||
  fail "the second build failed: $(tail -n 20 "$work/b.log")"
[ "$failures" -eq 0 ] || exit 1

msi=$(cd "$work/b" && ls dist/Zelvora-*.msi)
for file in bin/uninstall.exe bin/Zelvora.exe "$msi" dist/uninstall.exe \
  dist/Zelvora.exe dist/error.html; do
  if [ ! -f "$work/a/$file" ] || [ ! -f "$work/b/$file" ]; then
    fail "$file: expected from both builds"
  elif ! said=$(python3 "$here/first_difference.py" "$work/a/$file" \
    "$work/b/$file"); then
    fail "$file: expected the same bytes from both builds; $said"
  fi
done

# The times written are the commit's in the first build and the
# SOURCE_DATE_EPOCH it was configured with in the second.
export LC_ALL=C TZ=UTC
expected=$(date -d "@$epoch")
for program in a/bin/uninstall.exe b/bin/uninstall.exe b/dist/uninstall.exe; do
  stamp=$(i686-w64-mingw32-objdump -p "$work/$program" |
    sed -n 's/^Time\/Date[[:space:]]*//p')
  [ "$(date -d "$stamp" +%s 2>/dev/null)" = "$epoch" ] ||
    fail "$program: expected the PE time stamp $expected (the commit's, or SOURCE_DATE_EPOCH), got $stamp"
done
created=$(msiinfo suminfo "$work/b/$msi" | sed -n 's/^Created: //p')
[ "$(date -d "$created" +%s 2>/dev/null)" = "$epoch" ] ||
  fail "$msi: expected it created $expected (SOURCE_DATE_EPOCH), got $created"

if [ "$failures" -ne 0 ]; then
  # The builds stay for a closer look (msidump, objdump -p).
  trap - EXIT
  echo "reproducible_build_test: $failures failure(s); the builds are in $work" >&2
  exit 1
fi
echo "reproducible_build_test: passed"
