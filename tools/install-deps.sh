#!/bin/sh
# Installs the Debian packages Tulvo needs to build, make its data and run its
# tests. Installs only what is missing; does nothing when all are present.
# Usage: install-deps.sh [package]
set -eu

packages="
build-essential
cmake
pkg-config
ca-certificates
libgtest-dev
libgmock-dev
libbenchmark-dev
bzip2
unicode-data
qt6-base-dev
libgl-dev
fonts-liberation
fonts-noto-cjk
xvfb
xauth
xdotool
libicu-dev
nlohmann-json3-dev
libcurl4-openssl-dev
zlib1g-dev
libarchive-dev
libxtst-dev
qt6-speech-dev
qt6-declarative-dev
qt6-speech-speechd-plugin
speech-dispatcher
speech-dispatcher-espeak-ng
espeak-ng
pulseaudio
pulseaudio-utils
xclip
imagemagick
python3
qt6-wayland
weston
dbus
python3-dbus
python3-gi
clang
clang-format
libclang-rt-14-dev
desktop-file-utils
appstream
dpkg-dev
scdoc
imagemagick
zinnia-utils
tegaki-zinnia-simplified-chinese
"
# `install-deps.sh package`: also what `make check-package` uses to check the
# Debian package (lintian, and mmdebstrap for a fresh Debian root).
if [ "${1:-}" = package ]; then
    packages="$packages lintian mmdebstrap"
fi
# npm fetches the pinned open-data packages. A machine may already have
# Node.js with npm from elsewhere; only a machine without npm gets Debian's.
command -v npm >/dev/null 2>&1 || packages="$packages npm"

missing=""
for p in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
