#!/bin/sh
# Gets Wine ready for a test run of the cross-built programs, and ends that readiness again.
#
#   wine_server.sh create LOADER   create the prefix ($WINEPREFIX, else ~/.wine) if it has none yet
#   wine_server.sh start LOADER    the same, then keep one wineserver running for the prefix
#   wine_server.sh stop LOADER     stop that wineserver
#
# LOADER is Wine's program loader (Debian's wine64 lives in /usr/lib/wine, off PATH); wineserver is
# looked for beside it. Creating a prefix takes some ten seconds and prints Wine's own notes, so it
# is done once here and quietly, never by the first test. With a server kept running, a Windows
# program starts in a few milliseconds instead of a few tenths of a second.
set -eu
action=$1
loader=$2
server=$(dirname "$loader")/wineserver
[ -x "$server" ] || server=wineserver
prefix=${WINEPREFIX:-$HOME/.wine}
export WINEDEBUG=${WINEDEBUG:--all}

case $action in
  create | start)
    if [ ! -f "$prefix/system.reg" ]; then
      "$loader" wineboot -i >/dev/null 2>&1 || true
      "$server" -w
      [ -f "$prefix/system.reg" ] || { echo "wine_server.sh: no prefix made in $prefix" >&2; exit 1; }
    fi
    if [ "$action" = start ]; then
      # Returns at once; the server stays until "stop". One already running is fine too.
      "$server" -p 2>/dev/null || true
      # The session's first program starts Wine's own services, which stay, holding on to that
      # program's output: let them hold /dev/null, not a test's output, and start no test late.
      "$loader" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
    fi
    ;;
  stop)
    "$server" -k 2>/dev/null || true
    "$server" -w 2>/dev/null || true
    ;;
  *)
    echo "usage: wine_server.sh create|start|stop LOADER" >&2
    exit 2
    ;;
esac
