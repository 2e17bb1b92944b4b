#!/bin/sh
# Checks the Debian package made by `make package`, as `make check-package`
# runs it: lintian --pedantic must report nothing above information, the
# desktop entry and AppStream file must validate, and in a fresh Debian 12
# root (made with mmdebstrap) apt must install the package with every
# dependency, its commands must work for a new user from any folder, and
# purging it must leave none of its files. Installs the tools it needs.
# Needs root (or sudo) and the Debian archive. Every step is checked; the
# first failure ends the check with its reason.
# Usage: tools/check-package.sh [PACKAGE.deb]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

deb=${1:-$(ls build/cmake/package/tulvo_*.deb 2>/dev/null | tail -n 1)}
[ -n "$deb" ] && [ -f "$deb" ] || fail "no package: run make package first"
deb=$(readlink -f "$deb")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

step "tools for the check"
sh "$here/install-deps.sh" package || fail "could not install the tools the check needs"
for tool in lintian mmdebstrap desktop-file-validate appstreamcli dpkg-deb; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing after installing the tools"
done

work=$(mktemp -d)
trap '$sudo rm -rf "$work"' EXIT

step "lintian --pedantic"
lintian --pedantic --display-info --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian could not check the package"; }
cat "$work/lintian.log"
# Errors, warnings and pedantic remarks all fail; information does not.
if grep -q '^[EWP]: ' "$work/lintian.log"; then
    fail "lintian reports errors, warnings or pedantic remarks"
fi

step "desktop entry and AppStream metadata"
dpkg-deb -x "$deb" "$work/contents" || fail "dpkg-deb could not unpack the package"
desktop-file-validate "$work/contents/usr/share/applications/example.tulvo.Tulvo.desktop" ||
    fail "the desktop entry does not validate"
appstreamcli validate --no-net --pedantic \
    "$work/contents/usr/share/metainfo/example.tulvo.Tulvo.metainfo.xml" ||
    fail "the AppStream metadata does not validate"
for command in "$work"/contents/usr/bin/*; do
    name=$(basename "$command")
    grep -q "<binary>$name</binary>" "$work/contents/usr/share/metainfo/example.tulvo.Tulvo.metainfo.xml" ||
        fail "the AppStream metadata does not provide $name"
done

step "a fresh Debian 12 root: install, use, purge"
cp "$deb" "$work/tulvo.deb"
cp "$here/check-package-inside.sh" "$work/inside.sh"
$sudo mmdebstrap --variant=apt --mode=root --quiet --include=passwd \
    --customize-hook='copy-in "'"$work"'/tulvo.deb" "'"$work"'/inside.sh" /tmp' \
    --customize-hook='chroot "$1" sh /tmp/inside.sh /tmp/tulvo.deb' \
    bookworm "$work/root" >"$work/mmdebstrap.log" 2>&1 ||
    { cat "$work/mmdebstrap.log"; fail "the package did not install, work or purge in a fresh root"; }
grep '^\(==\|PASS\)' "$work/mmdebstrap.log" || true
echo "PASS: $(basename "$deb"): lintian clean, installed with apt in a fresh Debian 12 root, worked there and was purged"
