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
pick_display() {
    for _ in $(seq 100); do
        n=$((100 + RANDOM % 800))
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { echo "$n"; return; }
    done
    echo "with-xvfb: no free display number" >&2
    exit 1
}
for attempt in 1 2 3; do
    n=$(pick_display)
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$xvfb" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] && break
    wait "$xvfb" 2>/dev/null
    xvfb=""
done
if [ -z "${xvfb:-}" ]; then
    echo "with-xvfb: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$n"
wmpid=""
if [ "$wm" = 1 ]; then
    if ! command -v openbox >/dev/null; then
        echo "with-xvfb: openbox is not installed; this test needs a window manager." >&2
        kill "$xvfb"; exit 1
    fi
    openbox --sm-disable >/dev/null 2>&1 &
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
    trayer --edge top >/dev/null 2>&1 &
    traypid=$!
    for _ in $(seq 100); do
        xprop -name panel >/dev/null 2>&1 && break
        sleep 0.05
    done
fi
"$@"
rc=$?
[ -n "$traypid" ] && kill "$traypid" 2>/dev/null
[ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait 2>/dev/null
exit $rc
