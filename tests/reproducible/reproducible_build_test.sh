#!/usr/bin/env bash
# Reproducible builds: two release builds (i686, Release) of the same
# sources, in two folders of different names and depths, each with its own
# umask, locale, time zone and wall clock (the second runs a year ahead
# under faketime), build the same bytes: uninstall.exe, Zelvora.exe on the
# CEF test double, its package, and what `cmake --install --strip` puts into
# dist/. Where two files differ, first_difference.py names the first
# differing offset and the PE or package field it lies in.
#
#   reproducible_build_test.sh SOURCE_DIR CEF_ROOT
#
# CEF_ROOT: the i686 CEF distribution the shell is built from (the test
# double's, laid out as a distribution). Each build gets a copy of its own at
# a path of its own, as its sources do.
set -euo pipefail
source_dir=$1
cef_root=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d /tmp/zelvora-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Any time will do, as long as both builds are given the same one. Only
# configuring sees it: the build must carry it to every step itself.
epoch=1700000000
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

first=$work/a/zelvora
second=$work/the-second-place/b/zelvora-sources
copy_sources "$first"
copy_sources "$second"
cp -r "$cef_root" "$work/a/cef"
mkdir -p "$work/the-second-place/cef"
cp -r "$cef_root" "$work/the-second-place/cef/binary-distribution"

# Both at once: the second a year ahead, so that a wall-clock time that gets
# into a file shows.
(umask 022 && LC_ALL=C TZ=UTC build "$first" "$work/a/build" "$work/a/cef") &
first_build=$!
(umask 077 && LC_ALL=C.UTF-8 TZ=Pacific/Kiritimati \
  faketime -f +365d bash -c "epoch=$epoch; $(declare -f build); build '$second' '$work/b' '$work/the-second-place/cef/binary-distribution'") &
second_build=$!
wait "$first_build" || fail "the first build failed: $(tail -n 20 "$work/a/build.log")"
wait "$second_build" || fail "the second build failed: $(tail -n 20 "$work/b.log")"
[ "$failures" -eq 0 ] || exit 1

msi=dist/Zelvora-1.0.0.msi
for file in bin/uninstall.exe bin/Zelvora.exe "$msi" dist/uninstall.exe \
  dist/Zelvora.exe dist/error.html; do
  if [ ! -f "$work/a/build/$file" ] || [ ! -f "$work/b/$file" ]; then
    fail "$file: expected from both builds"
  elif ! said=$(python3 "$here/first_difference.py" "$work/a/build/$file" \
    "$work/b/$file"); then
    fail "$file: expected the same bytes from both builds; $said"
  fi
done

# The times written are SOURCE_DATE_EPOCH's.
export LC_ALL=C TZ=UTC
expected=$(date -d "@$epoch")
for program in bin/uninstall.exe dist/uninstall.exe; do
  stamp=$(i686-w64-mingw32-objdump -p "$work/a/build/$program" |
    sed -n 's/^Time\/Date[[:space:]]*//p')
  [ "$(date -d "$stamp" +%s 2>/dev/null)" = "$epoch" ] ||
    fail "$program: expected the PE time stamp $expected (SOURCE_DATE_EPOCH), got $stamp"
done
created=$(msiinfo suminfo "$work/a/build/$msi" | sed -n 's/^Created: //p')
[ "$(date -d "$created" +%s 2>/dev/null)" = "$epoch" ] ||
  fail "$msi: expected it created $expected (SOURCE_DATE_EPOCH), got $created"

if [ "$failures" -ne 0 ]; then
  # The builds stay for a closer look (msidump, objdump -p).
  trap - EXIT
  echo "reproducible_build_test: $failures failure(s); the builds are in $work" >&2
  exit 1
fi
echo "reproducible_build_test: passed"
