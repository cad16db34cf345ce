#!/usr/bin/env bash
# Runs every benchmark under Wine on a virtual display, in a throw-away prefix, and prints
# one summary table (| measure | result | goal | met? |), then the details and the tick table.
#   bash bench/run.sh                  the windows preset's build (build/windows)
#   TALVEX_BENCH_BUILD=DIR bash ...    an already configured cross build of your own
# About five minutes, most of it the 10,000 ticks of the scale benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
targets=(TalvexPress tick_bench minimal_window startup_bench idle_bench latency_bench scale_bench
         text1_bench settext_bench)
if [ -n "${TALVEX_BENCH_BUILD:-}" ]; then
    build=$(cd "$TALVEX_BENCH_BUILD" && pwd)
    cmake --build "$build" --target "${targets[@]}" >/dev/null
else
    bash scripts/setup-debian.sh
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target "${targets[@]}" >/dev/null
    build="$root/build/windows"
fi
out="$build/bench-results"
rm -rf "$out"
mkdir -p "$out"
trap 'cmake/wine-env.sh cleanup "$build" >/dev/null' EXIT
cmake/wine-env.sh setup "$build" >/dev/null

# Each driver writes its rows to a file, never a pipe: a Windows program it started may
# still hold the descriptor (see ARCHITECTURE.md, notes on Wine).
# run NAME [ARGS...]; RESULT=file-name to keep the rows of several runs of one program apart.
run() {
    local name=$1
    shift
    local result=${RESULT:-$name}
    if ! WINEDEBUG=-all cmake/wine-run.sh "$build/$name.exe" "$@" >"$out/$result.txt" 2>"$out/$result.err"; then
        echo "- $result ended with a failure; its numbers are not valid (see $out/$result.err)" >>"$out/$result.txt"
    fi
}
run startup_bench 15
# The idle driver reads the program's clipboard trace from its own standard error.
run idle_bench "$out/idle_bench.err" 30 60
run latency_bench 20
run scale_bench 10000
# Text1 with the hardest texts, each in a process of its own (its memory is its own).
for kind in lines7 line10m line200k; do RESULT=text1_$kind run text1_bench $kind; done
run settext_bench 5 50
run tick_bench

exe="$build/TalvexPress.exe"
bytes=$(stat -c %s "$exe")
size_met=$([ "$bytes" -lt 327680 ] && echo yes || echo "**no**")

echo "## Benchmarks"
echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"
echo "$(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version 2>/dev/null) on Xvfb; $(date -u +%Y-%m-%d)."
echo
echo "| measure | result | goal | met? |"
echo "|---|---|---|---|"
printf '| Size of TalvexPress.exe (release, stripped, all art) | %s bytes (%s KiB) | under 320 KiB | %s |\n' \
    "$bytes" "$(( (bytes + 1023) / 1024 ))" "$size_met"
results=(startup_bench idle_bench latency_bench scale_bench text1_lines7 text1_line10m text1_line200k
         settext_bench)
for name in "${results[@]}"; do
    grep '^| ' "$out/$name.txt" || echo "| $name | no result | | **no** |"
done
echo
echo "Details:"
echo
for name in "${results[@]}"; do
    grep '^- ' "$out/$name.txt" || true
done
echo
echo "Watcher tick against the real clipboard and a plain list box (tick_bench):"
echo
cat "$out/tick_bench.txt"
