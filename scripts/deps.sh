#!/usr/bin/env bash
# Installs what building and testing Quarvex needs on Debian 12. Idempotent and quiet when
# everything is there; a failing `apt-get update` (a broken index) does not stop it.
set -u
packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools wine wine64 xvfb xauth imagemagick
          cups printer-driver-cups-pdf poppler-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd apt-get update -qq >/dev/null 2>&1 || echo "deps: apt-get update reported errors; going on with the lists we have"
if ! $sudo_cmd apt-get install -y -qq "${missing[@]}" >/tmp/quarvex-apt.log 2>&1; then
    echo "deps: apt-get install failed; see /tmp/quarvex-apt.log" >&2
    tail -20 /tmp/quarvex-apt.log >&2
    exit 1
fi
