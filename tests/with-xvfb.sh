#!/usr/bin/env bash
# Runs one test program under an X server of its own, optionally with a window manager (--wm) and
# a notification area (--tray), and stops them all by pid afterwards.
set -u
wm=0
tray=0
while [ $# -gt 0 ]; do
    case "$1" in
    --wm) wm=1; shift ;;
    --tray) tray=1; shift ;;
    *) break ;;
    esac
done
if ! command -v Xvfb >/dev/null; then
    echo "with-xvfb: Xvfb is not installed (Debian package xvfb); this test cannot run." >&2
    exit 1
fi
# The server picks a free display itself and writes its number once it accepts connections, so
# parallel tests never race for a number.
numfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do
    [ -s "$numfile" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
done
n=$(tr -d '[:space:]' <"$numfile")
rm -f "$numfile"
if [ -z "$n" ] || ! kill -0 "$xvfb" 2>/dev/null; then
    echo "with-xvfb: Xvfb did not start" >&2
    kill "$xvfb" 2>/dev/null
    exit 1
fi
export DISPLAY=":$n"
wmpid=""
if [ "$wm" = 1 ]; then
    if ! command -v openbox >/dev/null; then
        echo "with-xvfb: openbox is not installed; this test needs a window manager." >&2
        kill "$xvfb"; exit 1
    fi
    wmlog=$(mktemp)
    openbox --sm-disable >"$wmlog" 2>&1 &
    wmpid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
fi
traypid=""
if [ "$tray" = 1 ]; then
    if ! command -v trayer >/dev/null; then
        echo "with-xvfb: trayer is not installed; this test needs a notification area." >&2
        [ -n "$wmpid" ] && kill "$wmpid"
        kill "$xvfb"; exit 1
    fi
    traylog=$(mktemp)
    trayer --edge top >"$traylog" 2>&1 &
    traypid=$!
    for _ in $(seq 100); do
        xprop -name panel >/dev/null 2>&1 && break
        sleep 0.05
    done
    xprop -name panel >/dev/null 2>&1 || { echo "with-xvfb: trayer did not start:" >&2; cat "$traylog" >&2; }
    rm -f "$traylog"
fi
"$@"
rc=$?
[ -n "$traypid" ] && kill "$traypid" 2>/dev/null
if [ -n "$wmpid" ]; then
    if ! kill "$wmpid" 2>/dev/null; then
        echo "with-xvfb: the window manager had ended early:" >&2
        cat "$wmlog" >&2
    fi
    rm -f "$wmlog"
fi
kill "$xvfb" 2>/dev/null
wait 2>/dev/null
exit $rc
