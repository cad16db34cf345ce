#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, again under the
# sanitizers, and its fuzz targets for a while each; then the program and its Win32 tests under
# Wine on a virtual display, in a throw-away Wine prefix; then everything again with Clang,
# warnings as errors, and the core's tests it built under Wine.
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
# Wine on a loaded machine now and then fails to start a test's process at all (no output, a
# few hundredths of a second): a test is run a second time before it counts as failed.
ctest --preset windows --repeat until-pass:2

# GNU ld notes every typeinfo name clang and gcc lay out in sections of different padding (the
# same strings; either copy serves): those notes only are left out.
cmake --preset windows-clang
cmake --build --preset windows-clang 2>&1 |
    { grep -v -E "^/.*libstdc\+\+\.a\(.*\): duplicate section .* has different size$" || true; }
clang_build=build/windows-clang
bash cmake/wine-env.sh setup "$clang_build"
status=0
bash cmake/wine-run.sh "$clang_build/talvex_core_tests.exe" --gtest_brief=1 >"$clang_build/core_tests.log" 2>&1 ||
    status=$?
bash cmake/wine-env.sh cleanup "$clang_build"
cat "$clang_build/core_tests.log"
exit $status
