#!/usr/bin/env bash
# Makes and removes the throw-away Wine prefix and virtual display of one test run.
#   wine-env.sh setup BUILD_DIR     fresh prefix in BUILD_DIR/wine-test, Xvfb, persistent wineserver
#   wine-env.sh cleanup BUILD_DIR   ends every Wine process of the run, Xvfb, removes the prefix
#   wine-env.sh fonts               links the fonts (below) in the prefix $WINEPREFIX names
set -u
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Chinese, Japanese and Korean, which Tahoma lacks, as Windows shows them: GDI takes a
# character a font lacks from the fonts linked to it (SystemLink, "FILE,Face" each; Wine 8
# finds the file by its name). Wine has no Tahoma and gives DejaVu Sans for it, and links
# from the face it gives: the link goes from DejaVu Sans. (A link from Tahoma itself turns
# every Tahoma wholly into the linked font; one from a Tahoma made a replacement name for
# DejaVu Sans links nothing.) Debian's fonts-wqy-microhei has the characters.
link_fonts() {
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "DejaVu Sans" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
        >/dev/null 2>&1
}

cmd=$1
if [ "$cmd" = fonts ]; then
    link_fonts
    exit
fi
build=$(cd "$2" && pwd)
state="$build/wine-test"
export WINEPREFIX="$state/prefix"

stop() {
    [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
    if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null; fi
    rm -rf "$state"
}

case "$cmd" in
setup)
    stop
    mkdir -p "$state"
    # A display of our own: never the user's, never one another run is using.
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            echo ":$n" >"$state/display"
            break
        fi
    done
    [ -f "$state/display" ] || { echo "no free X display for Xvfb" >&2; exit 1; }
    export DISPLAY=$(cat "$state/display")
    wineboot -i >"$state/wineboot.log" 2>&1
    link_fonts || { echo "could not link the fonts in the prefix" >&2; exit 1; }
    wineserver -w
    # One server for the whole run, and the prefix's services started now, all with their
    # output away from the test runner's pipes: a process that outlives its test keeps the
    # test's pipe open, and the runner waits for it (seconds per test otherwise, for the
    # server and the services each test would start again and leave lingering).
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >>"$state/wineboot.log" 2>&1
    echo "Wine prefix $WINEPREFIX on display $DISPLAY"
    ;;
cleanup)
    stop
    ;;
*)
    echo "usage: wine-env.sh setup|cleanup BUILD_DIR, or wine-env.sh fonts" >&2
    exit 2
    ;;
esac
