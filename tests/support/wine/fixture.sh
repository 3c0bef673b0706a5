#!/bin/bash
# Creates (setup) or ends (cleanup) the Wine prefix and the X display that the
# Windows tests of one ctest run share. Usage: fixture.sh setup|cleanup STATE_DIR [DPI]
# (a DPI such as 144, 150%, sets the screen's scaling of that prefix)
set -euo pipefail

action="$1"
state="$2"
dpi="${3:-}"

# The daemons started here outlive this script; any descriptor they inherit
# from ctest (its output pipes among them) would keep ctest waiting for them.
for fd in /proc/$$/fd/*; do
  fd="${fd##*/}"
  if [ "$fd" -gt 2 ] 2>/dev/null; then
    eval "exec $fd>&-" 2>/dev/null || true
  fi
done
export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
# File names reach Wine as UTF-8, whatever alphabet they are in.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

stop_display() {
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
}

case "$action" in
  setup)
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k 2>/dev/null || true
    fi
    stop_display
    rm -rf "$state"
    mkdir -p "$state"

    # A display of our own: Xvfb picks a free number and reports it.
    exec 3>"$state/display.number"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 </dev/null &
    echo $! >"$state/xvfb.pid"
    exec 3>&-
    for _ in $(seq 1 100); do
      [ -s "$state/display.number" ] && break
      sleep 0.1
    done
    [ -s "$state/display.number" ] || { echo "Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
    echo ":$(tr -d '\n' <"$state/display.number")" >"$state/display"
    export DISPLAY="$(cat "$state/display")"

    wineboot -i >"$state/wineboot.log" 2>&1 </dev/null
    # Title-bar buttons are drawn with Marlett, which fonts-wine ships but the
    # prefix does not find by itself.
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # The user's Documents, Music and the like are links to the Unix home: made
    # folders of the prefix, so that what the tests put there stays in it.
    find "$WINEPREFIX/drive_c/users" -maxdepth 2 -type l | while read -r link; do
      rm "$link" && mkdir "$link"
    done
    # Web pages the program opens go to a "browser" that only notes them.
    printf '#!/bin/sh\necho "$@" >>"%s/browser.log"\n' "$state" >"$state/browser.sh"
    chmod +x "$state/browser.sh"
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$state/browser.sh" /f >>"$state/wineboot.log" 2>&1 </dev/null
    # Every window of the prefix on one virtual desktop with a notification
    # area, so tests see title bars, tray icons and each other's windows.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$state/wineboot.log" 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$state/wineboot.log" 2>&1 </dev/null
    # A program that crashes ends at once instead of waiting behind the
    # debugger's dialog until the test's time is up.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$state/wineboot.log" 2>&1 </dev/null
    if [ -n "$dpi" ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$state/wineboot.log" 2>&1 </dev/null
    fi
    # Let the server end by itself, so it saves the registry, then keep one up
    # for the whole run: each test's start stays fast. (Started with its output
    # away from ctest's pipes, which would otherwise stay open while it runs.)
    wineserver -w >/dev/null 2>&1 </dev/null || true
    wineserver -p >/dev/null 2>&1 </dev/null
    # Wine's service processes start with the first program and outlive it.
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    # The desktop itself, started here for the same reason: the first window
    # of a test would otherwise start it as a child holding that test's output.
    wine explorer /desktop=Default,1024x768 >"$state/desktop.log" 2>&1 </dev/null &
    for _ in $(seq 1 200); do
      xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
      sleep 0.1
    done
    xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' || { echo "the Wine desktop did not start" >&2; exit 1; }
    echo "Wine prefix $WINEPREFIX on display $DISPLAY"
    ;;
  cleanup)
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k 2>/dev/null || true
    fi
    stop_display
    ;;
  *)
    echo "usage: $0 setup|cleanup STATE_DIR" >&2
    exit 2
    ;;
esac
