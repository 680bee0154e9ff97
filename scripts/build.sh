#!/usr/bin/env bash
# Builds the Windows deliverables into dist/, installing what is missing first.
#   scripts/build.sh                      uninstall.exe and error.html
#   CEF_ROOT=/path/to/cef scripts/build.sh   also Zelvora.exe with CEF's runtime
# A signed release (README, "Signed releases") also takes, from the
# environment: ZELVORA_SIGN_PKCS12, or ZELVORA_SIGN_CERTS with
# ZELVORA_SIGN_KEY; ZELVORA_SIGN_PASSWORD_FILE or ZELVORA_SIGN_PASSWORD; and
# ZELVORA_SIGN_TIMESTAMP_URL.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Signing settings go to CMake, every one each time, so that a build without
# them is unsigned whatever the build folder's last settings were. Files by
# absolute path, as given from here. The password stays in the environment.
sign_args=()
signing=
for setting in ZELVORA_SIGN_PKCS12 ZELVORA_SIGN_CERTS ZELVORA_SIGN_KEY \
  ZELVORA_SIGN_PASSWORD_FILE ZELVORA_SIGN_TIMESTAMP_URL; do
  value=${!setting:-}
  if [ -n "$value" ]; then
    signing=1
    [ "$setting" = ZELVORA_SIGN_TIMESTAMP_URL ] || value=$(realpath -m -- "$value")
  fi
  sign_args+=("-D$setting=$value")
done
if [ -z "$signing" ] && [ -n "${ZELVORA_SIGN_PASSWORD+set}" ]; then
  echo "build: ZELVORA_SIGN_PASSWORD is set but no certificate is" \
    "(ZELVORA_SIGN_PKCS12, or ZELVORA_SIGN_CERTS with ZELVORA_SIGN_KEY)" >&2
  exit 1
fi

if [ -n "$signing" ]; then
  "$root/scripts/setup.sh" build sign
else
  "$root/scripts/setup.sh" build
fi

. "$root/scripts/lib/cmake.sh"
build=$root/build/release
ninja_build_dir "$build"
cmake -S "$root" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCEF_ROOT="${CEF_ROOT:-}" "${sign_args[@]}" >/dev/null
[ -z "$signing" ] ||
  echo "build: signing with ${ZELVORA_SIGN_PKCS12:-${ZELVORA_SIGN_CERTS:-}}"
cmake --build "$build" -j"$(nproc)"
rm -rf "$root/dist"
cmake --install "$build" --prefix "$root/dist" --strip >/dev/null
echo "build: dist/ holds:"
(cd "$root/dist" && find . -maxdepth 1 -type f -printf '  %f (%s bytes)\n' | sort)
