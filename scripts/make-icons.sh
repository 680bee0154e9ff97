#!/usr/bin/env bash
# Regenerates the Windows icons from their SVG sources:
#   shell/resources/zelvora.svg -> shell/resources/zelvora.ico
#   uninstall/uninstall.svg     -> uninstall/uninstall.ico
# Each .ico holds 64x64, 48x48 and 32x32 images at 32 bits per pixel.
# The output is byte-for-byte reproducible; the .ico files are committed and
# the build uses them as they are, so run this only after editing an SVG.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
sizes=(64 48 32)

# Tools: rsvg-convert (librsvg2-bin) and icotool (icoutils), from Debian.
"$root/scripts/setup.sh" icons

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# make_ico SOURCE.svg TARGET.ico
make_ico() {
  local svg=$root/$1 ico=$root/$2 name pngs=()
  name=$(basename "$svg" .svg)
  for s in "${sizes[@]}"; do
    # rsvg-convert always writes 8-bit RGBA PNGs without timestamps.
    rsvg-convert --width "$s" --height "$s" --format png \
      --output "$tmp/$name-$s.png" "$svg"
    pngs+=("$tmp/$name-$s.png")
  done
  icotool --create --output "$ico.tmp" "${pngs[@]}"
  mv -f "$ico.tmp" "$ico"
  echo "make-icons: wrote ${ico#"$root"/}"
}

make_ico shell/resources/zelvora.svg shell/resources/zelvora.ico
make_ico uninstall/uninstall.svg uninstall/uninstall.ico
