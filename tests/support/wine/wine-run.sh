#!/bin/sh
# Runs a Windows program under Wine in the private prefix of the test run.
# ctest calls this as the cross-compiling emulator; the fixture has set up the
# prefix and the X display under $KESTROVA_WINE_STATE.
#
# The program's output goes to a file, which is followed until the program
# ends: a process Wine starts on the way (a service, a Unix helper of a test)
# inherits the output, and had it been ctest's pipe, ctest would wait for
# that process too, long after the test itself had ended. Standard error is
# printed when the program has ended.
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
output="$(mktemp "$state/output.XXXXXX")"
errors="$(mktemp "$state/errors.XXXXXX")"
wine "$@" >"$output" 2>"$errors" </dev/null &
program=$!
tail -n +1 -f --pid="$program" "$output"
status=0
wait "$program" || status=$?
cat "$errors" >&2
rm -f "$output" "$errors"
exit "$status"
