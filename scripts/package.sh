#!/usr/bin/env bash
# Builds the release packages from a clean checkout: the portable zip and the installer, in
# build/package/ (the `windows` preset, Release, TalvexPress.exe stripped).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target packages

version=$(sed -n "s/^CMAKE_PROJECT_VERSION:STATIC=//p" build/windows/CMakeCache.txt)
package=build/windows/package
zip="$package/TalvexPress-$version-portable.zip"
setup="$package/TalvexPress-$version-setup.exe"
bash installer/check-portable-zip.sh "$zip" >/dev/null || {
    bash installer/check-portable-zip.sh "$zip"
    exit 1
}
mkdir -p build/package
cp "$zip" "$setup" build/package/

size() { local b; b=$(stat -c %s "$1"); echo "$b bytes ($(((b + 1023) / 1024)) KB)"; }
echo
echo "TalvexPress.exe (stripped):  $(size "$package/portable/TalvexPress.exe")"
for f in build/package/TalvexPress-"$version"-portable.zip build/package/TalvexPress-"$version"-setup.exe; do
    echo "$(pwd)/$f  $(size "$f")"
done
