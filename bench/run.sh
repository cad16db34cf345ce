#!/usr/bin/env bash
# Runs every benchmark under Wine on a virtual display, in a throw-away prefix, and prints
# the tables.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup-debian.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tick_bench >/dev/null
build="$root/build/windows"
trap 'cmake/wine-env.sh cleanup "$build" >/dev/null' EXIT
cmake/wine-env.sh setup "$build" >/dev/null
echo "## Watcher tick (real clipboard and list box, under $(wine --version))"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo
cmake/wine-run.sh "$build/tick_bench.exe" > "$build/tick_bench.txt"
cat "$build/tick_bench.txt"
