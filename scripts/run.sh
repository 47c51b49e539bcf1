#!/usr/bin/env bash
# Builds Velmora and starts it in its runnable folder. Without a display it starts it under Xvfb,
# saves a screenshot of the main window and ends it again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
cd "$top/build/run"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec ./velmora
fi
echo "No X display is available: starting Velmora under Xvfb instead."
numfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$numfile"' EXIT
for _ in $(seq 200); do [ -s "$numfile" ] && break; sleep 0.05; done
display=":$(tr -d '[:space:]' <"$numfile")"
DISPLAY=$display ./velmora &
app=$!
sleep 3
shot="$top/build/velmora-main-window.png"
DISPLAY=$display import -window root "$shot"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "Screenshot of the main window saved to $shot"
