#!/usr/bin/env bash
# Stands in for apt-get, dpkg, dpkg-query, npm, id and sleep (by the name it
# is called by) for setup_test.sh: nothing is installed, and the archive
# fails as the environment says:
#   STANDIN_BAD_INDEX=1   the i386 security index does not match its Release
#                         file: update fails, no i386 package can be found
#   STANDIN_HELD="P..."   these packages' dependencies cannot be met
#   STANDIN_NPM_FAIL=1    every npm download fails
#   STANDIN_I386=1        dpkg already has the i386 architecture, and apt's
#                         package lists cover it
#   STANDIN_INSTALLED=1   dpkg-query finds every package installed
# As apt does, an i386 package is found only in lists read (apt-get update)
# since dpkg got the i386 architecture. Each call is logged to
# $STANDIN_DIR/log; dpkg's architectures and those apt's lists cover live
# there.
set -u
name=${0##*/}
echo "$name $*" >>"$STANDIN_DIR/log"
case $name in
  sleep) ;;
  id) [ "$1" = -u ] && echo 0 ;;
  dpkg-query)
    if [ -n "${STANDIN_INSTALLED:-}" ]; then
      echo "install ok installed"
      exit 0
    fi
    echo "dpkg-query: no packages found matching ${*: -1}" >&2
    exit 1
    ;;
  dpkg)
    case $1 in
      --print-foreign-architectures)
        [ -z "${STANDIN_I386:-}" ] || echo i386
        cat "$STANDIN_DIR/arches" 2>/dev/null || true
        ;;
      --add-architecture) echo "$2" >>"$STANDIN_DIR/arches" ;;
      *) echo "dpkg stand-in: unexpected $*" >&2 && exit 2 ;;
    esac
    ;;
  npm)
    [ -z "${STANDIN_NPM_FAIL:-}" ] && exit 0
    echo "npm ERR! code ECONNRESET" >&2
    echo "npm ERR! network aborted" >&2
    exit 1
    ;;
  apt-get)
    args=("$@") pkgs=() action=
    for ((i = 0; i < ${#args[@]}; i++)); do
      case ${args[i]} in
        -o) i=$((i + 1)) ;;
        -*) ;;
        update | install) action=${args[i]} ;;
        *) pkgs+=("${args[i]}") ;;
      esac
    done
    if [ "$action" = update ]; then
      cat "$STANDIN_DIR/arches" >"$STANDIN_DIR/listed" 2>/dev/null || true
      [ -z "${STANDIN_BAD_INDEX:-}" ] && exit 0
      echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi
    status=0
    for pkg in "${pkgs[@]}"; do
      if [ -n "${STANDIN_BAD_INDEX:-}" ] && [ "${pkg%:i386}" != "$pkg" ]; then
        echo "E: Unable to locate package $pkg" >&2 && status=100
      elif [ "${pkg%:i386}" != "$pkg" ] && [ -z "${STANDIN_I386:-}" ] &&
        ! grep -qx i386 "$STANDIN_DIR/listed" 2>/dev/null; then
        echo "E: Unable to locate package $pkg" >&2 && status=100
      elif [[ " ${STANDIN_HELD:-} " == *" $pkg "* ]]; then
        echo " $pkg : Depends: lib${pkg%%:*}-dep (= 1.0) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages." >&2
        status=100
      fi
    done
    exit $status
    ;;
esac
