#!/usr/bin/env bash
# Builds TalvexPress.exe and starts it under Wine: on the current display if there is one,
# otherwise on a virtual display, where it saves a screenshot of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup-debian.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target TalvexPress
exe="$root/build/windows/TalvexPress.exe"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec wine "$exe"
fi

# No display: a virtual one, and a Wine prefix of our own beside the build.
state="$root/build/run"
export WINEPREFIX="$state/prefix"
mkdir -p "$state"
for n in $(seq 60 90); do [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$n"
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
[ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1 && bash cmake/wine-env.sh fonts; }
wine "$exe" &
for _ in $(seq 1 100); do
    xdotool search --onlyvisible --class TalvexPress.exe >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 2
import -window root "$state/screenshot.png"
echo "No display here: Talvex Press runs on the virtual display $DISPLAY."
echo "Screenshot of the window: $state/screenshot.png"
if [ -t 0 ]; then
    read -r -p "Press Enter to end the program. " _
fi
