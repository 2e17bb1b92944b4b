#!/bin/sh
# Checks the Debian package made by `make package` on this machine: installs
# it with apt (which must resolve every dependency from the archive), runs the
# installed programs as a scratch user folder, then removes the package again
# and checks that nothing of it stays behind. Needs root (or sudo).
# Usage: tools/check-package.sh [PACKAGE.deb]
set -eu
deb=$(readlink -f "${1:-$(ls build/cmake/package/tulvo_*.deb | tail -n 1)}")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
fail() { echo "FAIL: $*"; exit 1; }
if dpkg-query -W -f='${Status}' tulvo 2>/dev/null | grep -q "install ok installed"; then
    fail "tulvo is already installed here; remove it first"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt could not install $deb"; }
status=0
(
    set -e
    export HOME="$work/home"
    unset XDG_DATA_HOME
    mkdir -p "$HOME"
    cd "$work"
    tulvo-lookup --match exact 中文 | grep -q "^中文	" || fail "tulvo-lookup"
    QT_QPA_PLATFORM=offscreen TULVO_QUIT_WHEN_SHOWN=1 XDG_RUNTIME_DIR="$work" timeout 60 tulvo ||
        fail "tulvo did not start"
    [ -e "$HOME/.local/share/tulvo/options.txt" ] || fail "no user files in the XDG folder"
    desktop-file-validate /usr/share/applications/example.tulvo.Tulvo.desktop
    appstreamcli validate --no-net /usr/share/metainfo/example.tulvo.Tulvo.metainfo.xml >/dev/null
) || status=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -q tulvo >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log"; fail "apt could not remove tulvo"; }
[ ! -e /usr/lib/tulvo ] && [ ! -e /usr/bin/tulvo ] || fail "files of the package were left behind"
[ $status -eq 0 ] || fail "the installed package did not work"
echo "PASS: $(basename "$deb") installed with apt, ran, and was removed"
