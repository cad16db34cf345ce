#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, again under the
# sanitizers, and its fuzz targets for a while each; then the program and its Win32 tests under
# Wine on a virtual display, in a throw-away Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
werror=OFF
[ -n "${CI:-}" ] && werror=ON

cmake --preset linux -DTALVEX_WERROR=$werror
cmake --build --preset linux
ctest --preset linux

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer: any report fails them.
cmake --preset linux-asan -DTALVEX_WERROR=$werror
cmake --build --preset linux-asan
ctest --preset linux-asan

# Each fuzz target for TALVEX_FUZZ_SECONDS (30 s) against its reference model.
cmake --preset fuzz -DTALVEX_WERROR=$werror
cmake --build --preset fuzz
ctest --preset fuzz

cmake --preset windows -DTALVEX_WERROR=$werror
cmake --build --preset windows
ctest --preset windows
