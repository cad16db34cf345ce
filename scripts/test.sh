#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, then the program and
# its Win32 tests under Wine on a virtual display, in a throw-away Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
werror=OFF
[ -n "${CI:-}" ] && werror=ON

cmake --preset linux -DTALVEX_WERROR=$werror
cmake --build --preset linux
ctest --preset linux

cmake --preset windows -DTALVEX_WERROR=$werror
cmake --build --preset windows
ctest --preset windows
