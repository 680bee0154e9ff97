#!/usr/bin/env bash
# Runs test program $1 with the arguments after it on two monitors side by
# side: on the display scripts/test.sh provides for that, in a Wine prefix of
# its own, since Wine reads the monitors once per prefix session.
[ -n "${ZELVORA_XINERAMA_DISPLAY:-}" ] || exit 77  # skipped: no such display
. "$(dirname "$0")/../../scripts/lib/wine.sh"
export DISPLAY=$ZELVORA_XINERAMA_DISPLAY WINEPREFIX=$ZELVORA_XINERAMA_PREFIX
export ZELVORA_TWO_MONITORS=1
# Made and stopped by scripts/test.sh, or else here.
if [ -p "$WINEPREFIX/idle" ]; then
  exec wine "$@"
fi
wine_prefix
wine "$@"
status=$?
wine_stop
exit $status
