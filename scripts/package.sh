#!/usr/bin/env bash
# Builds the release packages from a clean checkout: the portable zip and the installer, in
# build/package/ (the `windows` preset, Release, TalvexPress.exe stripped). With a code-signing
# certificate they are signed and timestamped:
#   TALVEX_SIGN_PFX=certificate.pfx TALVEX_SIGN_PASSWORD=... [TALVEX_TIMESTAMP_URL=...] package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

# The certificate as given now, or none: never one a previous run left in the cache.
signing=(-DTALVEX_SIGN_PFX="${TALVEX_SIGN_PFX:-}")
if [ -n "${TALVEX_SIGN_PFX:-}" ]; then
    [ -f "$TALVEX_SIGN_PFX" ] || { echo "No certificate file $TALVEX_SIGN_PFX (TALVEX_SIGN_PFX)" >&2; exit 1; }
    [ -n "${TALVEX_SIGN_PASSWORD+set}" ] ||
        { echo "TALVEX_SIGN_PASSWORD is not set (set it to nothing if the certificate has no password)" >&2; exit 1; }
    signing[0]=-DTALVEX_SIGN_PFX=$(realpath "$TALVEX_SIGN_PFX")
fi
# The timestamp server named now, or the build's default.
if [ -n "${TALVEX_TIMESTAMP_URL:-}" ]; then
    signing+=(-DTALVEX_TIMESTAMP_URL="$TALVEX_TIMESTAMP_URL")
else
    signing+=(-UTALVEX_TIMESTAMP_URL)
fi
cmake --preset windows "${signing[@]}" >/dev/null
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
echo
if [ -n "${TALVEX_SIGN_PFX:-}" ]; then
    url=$(sed -n "s/^TALVEX_TIMESTAMP_URL:STRING=//p" build/windows/CMakeCache.txt)
    echo "Signed with $TALVEX_SIGN_PFX, timestamped by $url:"
    echo "TalvexPress.exe (in the zip and in the setup), the setup, its plug-in DLLs and its uninstaller."
else
    echo "The packages are NOT SIGNED: SmartScreen warns everyone who downloads them, and Smart"
    echo "App Control blocks them. To sign them, give a code-signing certificate:"
    echo "  TALVEX_SIGN_PFX=certificate.pfx TALVEX_SIGN_PASSWORD=... bash scripts/package.sh"
fi
