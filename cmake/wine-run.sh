#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the test run's own prefix and display
# (made by wine-env.sh setup). Outside a test run it falls back to a prefix in the build tree.
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
shift
build=$(cd "$(dirname "$exe")" && pwd)
state="$build/wine-test"
export WINEPREFIX="${TALVEX_WINEPREFIX:-$state/prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -f "$state/display" ]; then export DISPLAY=$(cat "$state/display"); fi
if [ ! -d "$WINEPREFIX" ]; then "$here/wine-env.sh" setup "$build" >&2 || exit 1; export DISPLAY=$(cat "$state/display"); fi
exec wine "$exe" "$@"
