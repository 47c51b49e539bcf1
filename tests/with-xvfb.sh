#!/usr/bin/env bash
# Runs one test program under an X server of its own, optionally with a window manager (--wm
# openbox, --twm a reparenting one that keeps no client list, --icewm one with override-redirect
# frames) and a notification area (--tray), and stops them all by pid afterwards. --weston runs it
# in a headless Wayland session instead, on its X server for X11 programs.
set -u
wm=""
tray=0
weston=0
while [ $# -gt 0 ]; do
    case "$1" in
    --wm) wm=openbox; shift ;;
    --twm) wm=twm; shift ;;
    --icewm) wm=icewm; shift ;;
    --tray) tray=1; shift ;;
    --weston) weston=1; shift ;;
    *) break ;;
    esac
done
# The processes whose parent is $1.
children() {
    local stat pid ppid
    for stat in /proc/[0-9]*/stat; do
        read -r pid _ _ ppid _ <"$stat" 2>/dev/null && [ "$ppid" = "$1" ] && echo "$pid"
    done
}
if [ "$weston" = 1 ]; then
    if ! command -v weston >/dev/null || ! command -v Xwayland >/dev/null; then
        echo "with-xvfb: weston or Xwayland is not installed (Debian packages weston, xwayland)." >&2
        exit 1
    fi
    runtime=$(mktemp -d)
    chmod 700 "$runtime"
    westonlog="$runtime/weston.log"
    XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --xwayland --idle-time=0 \
        --socket=wayland-velmora >"$westonlog" 2>&1 &
    westonpid=$!
    for _ in $(seq 200); do
        grep -q 'xserver listening on display' "$westonlog" && break
        kill -0 "$westonpid" 2>/dev/null || break
        sleep 0.05
    done
    n=$(sed -n 's/.*xserver listening on display :\([0-9]*\).*/\1/p' "$westonlog" | head -n 1)
    if [ -z "$n" ]; then
        echo "with-xvfb: weston did not start:" >&2
        cat "$westonlog" >&2
        kill "$westonpid" 2>/dev/null
        rm -rf "$runtime"
        exit 1
    fi
    DISPLAY=":$n" WAYLAND_DISPLAY=wayland-velmora XDG_RUNTIME_DIR="$runtime" XDG_SESSION_TYPE=wayland "$@"
    rc=$?
    # Its X server can outlive it for a moment, still listening on the display's abstract socket:
    # an Xvfb that takes that number meanwhile would be unreachable. End them all and wait for them.
    kids=$(children "$westonpid")
    kill $kids "$westonpid" 2>/dev/null
    wait 2>/dev/null
    for _ in $(seq 100); do
        running=0
        for p in $kids; do
            state=$(cut -d' ' -f3 "/proc/$p/stat" 2>/dev/null)
            [ -n "$state" ] && [ "$state" != Z ] && running=1
        done
        [ "$running" = 0 ] && break
        sleep 0.05
    done
    rm -rf "$runtime"
    exit $rc
fi
if ! command -v Xvfb >/dev/null; then
    echo "with-xvfb: Xvfb is not installed (Debian package xvfb); this test cannot run." >&2
    exit 1
fi
# The server picks a free display itself and writes its number once it accepts connections, so
# parallel tests never race for a number. It never resets: a reset when the first client to come
# (the wait for the window manager) leaves again refuses the manager's own connection meanwhile.
numfile=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
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
if [ -n "$wm" ]; then
    if ! command -v "$wm" >/dev/null; then
        echo "with-xvfb: $wm is not installed; this test needs that window manager." >&2
        kill "$xvfb"; exit 1
    fi
    wmlog=$(mktemp)
    if [ "$wm" != twm ]; then
        if [ "$wm" = openbox ]; then
            openbox --sm-disable >"$wmlog" 2>&1 &
        else
            icewm >"$wmlog" 2>&1 &
        fi
        wmpid=$!
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.05
        done
    else
        # Placed at random, or twm waits for the user to place each new window; the server's own
        # font, as the display may have no other.
        twmrc=$(mktemp)
        printf '%s\n' RandomPlacement 'TitleFont "fixed"' 'ResizeFont "fixed"' 'MenuFont "fixed"' \
            'IconFont "fixed"' 'IconManagerFont "fixed"' >"$twmrc"
        twm -f "$twmrc" >"$wmlog" 2>&1 &
        wmpid=$!
        # Its own windows appear once it has taken the display.
        for _ in $(seq 100); do
            xwininfo -root -children 2>/dev/null | grep -Eq '[0-9]+ child(ren)?:' && break
            sleep 0.05
        done
        rm -f "$twmrc"
    fi
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
