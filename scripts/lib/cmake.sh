# CMake builds; sourced by the scripts that configure them.
#
# Every build goes through Ninja. A build with nothing to do costs Ninja no
# process at all, where Make's makefiles start CMake several times per target
# (a warm test run started it over 400 times, about 12 CPU-seconds). CMake
# takes the generator of a new build folder from CMAKE_GENERATOR, so builds
# configured by the programs these scripts start (the tests' release builds,
# the verifier's rebuild) use it too.
export CMAKE_GENERATOR=Ninja

# ninja_build_dir DIR: CMake will not change the generator of a configured
# build folder: one that another generator made is removed, to be made anew.
ninja_build_dir() {
  local cache=$1/CMakeCache.txt
  if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
    echo "$(basename "$0"): $1 was configured for another generator: building it anew with Ninja"
    rm -rf "$1"
  fi
}

# cmake_configure DIR CMAKE-ARGS...: configures the build in DIR, unless its
# last configuring had these same arguments and SOURCE_DATE_EPOCH (which the
# build reads when it is configured) and succeeded: then its build
# configures it again itself where a CMake file changed (Ninja's rule), and
# a second or so is saved.
cmake_configure() {
  local dir=$1 stamp=$1/zelvora-configured-with settings
  shift
  settings="SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-} $*"
  ninja_build_dir "$dir"
  if [ -f "$dir/build.ninja" ] && [ -f "$stamp" ] &&
    [ "$(cat "$stamp")" = "$settings" ]; then
    return
  fi
  rm -f "$stamp"
  cmake -B "$dir" "$@" >/dev/null || return
  printf '%s' "$settings" >"$stamp"
}
