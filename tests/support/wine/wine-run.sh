#!/bin/sh
# Runs a Windows program under Wine in the private prefix of the test run.
# ctest calls this as the cross-compiling emulator; the fixture has set up the
# prefix and the X display under $KESTROVA_WINE_STATE.
set -e
state="${KESTROVA_WINE_STATE:?KESTROVA_WINE_STATE is not set}"
export WINEPREFIX="$state/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$state/display" ]; then
  DISPLAY="$(cat "$state/display")"
  export DISPLAY
fi
exec wine "$@"
