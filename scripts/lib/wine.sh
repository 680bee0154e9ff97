# Wine for one test architecture; sourced by the bash scripts that start Wine.
#
#   wine_env ARCH PREFIX   exports what Wine needs to run ARCH's programs
#                          (i686 or x86_64) in PREFIX: for x86_64, wrappers
#                          for wine and wineserver first on PATH, through
#                          which Debian's wineboot, msiexec and reg start the
#                          64-bit loader too
#   wine_prefix            creates that prefix, keeps one wineserver and one
#                          idle program running in it and lets Wine manage
#                          its own windows. A new prefix costs wineboot about
#                          6 CPU-seconds: where ZELVORA_WINE_TEMPLATES names
#                          a folder, one is made there once for this recipe
#                          and this Wine, and each prefix is a copy of it
#                          (about 3 CPU-seconds, the start included)
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
  if [ -n "${ZELVORA_WINE_TEMPLATES:-}" ]; then
    local template
    template=$ZELVORA_WINE_TEMPLATES/$WINEARCH-$(wine_template_key)
    mkdir -p "$ZELVORA_WINE_TEMPLATES" "${WINEPREFIX%/*}"
    # One maker at a time: a second waits and copies the first's.
    (
      flock 9
      [ -d "$template" ] && exit
      rm -rf "$template.new"
      WINEPREFIX=$template.new wine_boot
      WINEPREFIX=$template.new wine_stop
      WINEPREFIX=$template.new wineserver -w 2>/dev/null || true
      mv -T "$template.new" "$template"
      # Templates of an earlier recipe or Wine go (700 MB each).
      local old
      for old in "${template%-*}"-*; do
        [ "$old" = "$template" ] || rm -rf "$old"
      done
    ) 9>"$ZELVORA_WINE_TEMPLATES/lock"
    cp -a "$template" "$WINEPREFIX"
  else
    wine_boot
  fi
  wineserver -p  # One server for the whole run: each program starts faster.
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

# Makes a new prefix at $WINEPREFIX.
wine_boot() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  timeout 300 wineboot -i >/dev/null 2>&1
  # No window manager runs on our displays: Wine manages its windows itself
  # instead of waiting for one to map and unmap them.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1
}

# What a template is made of: this file's recipe and the Wine that ran it.
wine_template_key() {
  {
    cat "${BASH_SOURCE[0]}"
    dpkg-query -W 'wine*' 'libwine*' 2>/dev/null || true
  } | md5sum | cut -c1-16
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
