#!/usr/bin/env bash
# Starts TalvexPress.exe under Wine on a private virtual display and saves a picture of its
# window, cropped to the window, as build/screenshot-window.png (or the path given with -o).
#   scripts/screenshot.sh [--dpi N] [--sample] [-o out.png] [path/to/TalvexPress.exe]
# Without an exe it builds one with the windows preset. --dpi sets Wine's LogPixels first
# (96, 120, 144, 192...) to look at the window on a high-dpi display. --sample types a few
# lines into the text box first (accents, a long line, right-to-left text, Chinese, Japanese
# and Korean), as a user would.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dpi=96
sample=""
out="$root/build/screenshot-window.png"
exe=""
while [ $# -gt 0 ]; do
    case "$1" in
    --dpi) dpi=$2; shift 2 ;;
    --sample) sample=1; shift ;;
    -o) out=$2; shift 2 ;;
    *) exe=$1; shift ;;
    esac
done
if [ -z "$exe" ]; then
    bash scripts/setup-debian.sh
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target TalvexPress
    exe="$root/build/windows/TalvexPress.exe"
fi
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
mkdir -p "$(dirname "$out")"

state=$(mktemp -d /tmp/talvex-shot.XXXXXX)
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$state"
}
trap cleanup EXIT

for n in $(seq 150 199); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if kill -0 "$xvfb" 2>/dev/null; then break; fi
    xvfb=""
done
[ -n "$xvfb" ] || { echo "no free X display" >&2; exit 1; }
export DISPLAY=":$n"
# A grey desk under the window, so that its rounded corners show.
convert -size 8x8 xc:'#a9b3bf' "$state/desk.png"
display -window root "$state/desk.png" 2>/dev/null || true

wineboot -i >/dev/null 2>&1
bash "$root/cmake/wine-env.sh" fonts  # Chinese, Japanese and Korean as Windows links them
if [ "$dpi" != 96 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
fi

wine "$exe" >/dev/null 2>&1 &
win=""
for _ in $(seq 1 150); do
    win=$(xdotool search --onlyvisible --class talvexpress.exe 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1.5  # let it finish painting
eval "$(xdotool getwindowgeometry --shell "$win")"
if [ -n "$sample" ]; then
    # A click in the text box (its top left, in 96-dpi pixels, scaled), then the keyboard.
    xdotool mousemove $((X + 60 * dpi / 96)) $((Y + 310 * dpi / 96)) click 1
    sleep 0.5
    xdotool type --delay 60 "Texte rappelé de l'historique : élève, où, ça."
    xdotool key Return
    xdotool type --delay 60 "Une ligne bien plus longue que la boîte, qui défile sur le côté au lieu de revenir à la ligne."
    xdotool key Return
    xdotool type --delay 60 "שלום עולם — مرحبا بالعالم"
    xdotool key Return
    xdotool type --delay 150 "中文，日本語のかな、한국어"
    xdotool key Return Return ctrl+Home shift+End
    sleep 1
fi
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$state/raw.png"
convert "$state/raw.png" -strip "$out"
echo "$out (${WIDTH}x${HEIGHT} at $dpi dpi)"
