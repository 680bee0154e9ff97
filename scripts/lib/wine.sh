# Wine for one test architecture; sourced by the scripts that start Wine.
#
#   wine_env ARCH PREFIX   exports what Wine needs to run ARCH's programs
#                          (i686 or x86_64) in PREFIX: for x86_64, wrappers
#                          for wine and wineserver first on PATH, through
#                          which Debian's wineboot, msiexec and reg start the
#                          64-bit loader too
#   wine_prefix            creates that prefix, keeps one wineserver and one
#                          idle program running in it and lets Wine manage
#                          its own windows
#   wine_stop              ends every process of the prefix and its server
#
# Debian's /usr/bin/wine and the launchers that go through it (wineboot,
# msiexec, reg: "wine-stable NAME.exe") take the 32-bit loader whenever its
# file is there, even where the kernel cannot run it. For x86_64 the loader
# is named outright: small scripts called wine and wine-stable that start
# /usr/lib/wine/wine64 (a symbolic link would not do: the loader finds itself
# by the name it was started under).

wine_env() {
  local arch=$1 prefix=$2
  export WINEPREFIX=$prefix WINEDEBUG=-all
  # Never offer to download Mono or Gecko. No winemenubuilder either: it
  # would copy every shortcut a package installs into this machine's own
  # menus (~/.local/share/applications/wine).
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  case $arch in
    i686)
      export WINEARCH=win32
      unset WINELOADER WINESERVER
      ;;
    x86_64)
      export WINEARCH=win64
      export WINELOADER=/usr/lib/wine/wine64
      export WINESERVER=/usr/lib/wine/wineserver64
      local bin=${prefix%/*}/.bin-${prefix##*/}
      mkdir -p "$bin"
      local name
      for name in wine wine64 wine-stable; do
        printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$bin/$name"
      done
      printf '#!/bin/sh\nexec %s "$@"\n' "$WINESERVER" >"$bin/wineserver"
      chmod +x "$bin"/*
      export PATH=$bin:$PATH
      ;;
    *)
      echo "wine_env: unknown architecture $arch" >&2
      return 1
      ;;
  esac
}

wine_prefix() {
  mkdir -p "$WINEPREFIX"
  wineserver -p  # One server for the whole run: each program starts faster.
  timeout 300 wineboot -i >/dev/null 2>&1
  # No window manager runs on our displays: Wine manages its windows itself
  # instead of waiting for one to map and unmap them.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1
  # A program that waits, until wine_stop, for input that never comes. Once
  # a prefix's last program has ended, Wine ends its desktop process too, and
  # the next program to open a window waits for a new one: seconds each time,
  # or more when it comes while the old one is still going.
  mkfifo "$WINEPREFIX/idle"
  (
    exec 9<>"$WINEPREFIX/idle"
    exec wine cmd.exe <"$WINEPREFIX/idle" >/dev/null 2>&1
  ) &
  # Wine starts the desktop process from the first program that needs it,
  # with that program's standard error, and it now lives until wine_stop:
  # start it here, not from a test whose output ctest waits to see closed.
  wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
