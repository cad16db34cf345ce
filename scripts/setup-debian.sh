#!/usr/bin/env bash
# Installs what building, running and testing Talvex Press need on Debian 12, if missing.
set -euo pipefail
# clang: the second compiler's build; clang-14 and libclang-rt-14-dev: the fuzz targets
# (libFuzzer and Clang's sanitizers; g++ brings its own AddressSanitizer and
# UndefinedBehaviorSanitizer runtimes); osslsigncode, openssl, python3, p7zip-full: signing the
# packages and its test; unicode-data: the character rules' data and conformance cases;
# fonts-wqy-microhei: the Chinese, Japanese and Korean that the test prefix links to Tahoma
# (through DejaVu Sans, which Wine gives for it: see cmake/wine-env.sh).
packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev unicode-data mingw-w64
          clang clang-14 libclang-rt-14-dev wine wine64 xvfb xdotool imagemagick x11-utils nsis
          zip unzip osslsigncode openssl python3 p7zip-full fonts-dejavu-core fonts-wqy-microhei)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
