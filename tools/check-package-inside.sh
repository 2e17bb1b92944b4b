#!/bin/sh
# Runs inside a fresh Debian 12 root (tools/check-package.sh): installs the
# package with apt, uses its commands as a new user from their home folder,
# then purges it and checks that none of its files stay.
# Usage: check-package-inside.sh PACKAGE.deb
set -eu
deb=$1
fail() { echo "FAIL: $*"; exit 1; }
step() { echo "== $*"; }
export DEBIAN_FRONTEND=noninteractive

step "apt installs the package and its dependencies"
apt-get update -q >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; fail "apt-get update"; }
apt-get install -y -q "$deb" >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; fail "apt could not install the package"; }
dpkg -L tulvo >/tmp/tulvo.files || fail "dpkg does not list the package's files"

step "a new user runs the commands from the home folder"
useradd --create-home learner || fail "useradd"
as_learner() {
    runuser -u learner -- env -i PATH=/usr/bin:/bin HOME=/home/learner LANG=C.UTF-8 \
        XDG_RUNTIME_DIR=/tmp/learner-run "$@"
}
install -d -o learner -m 700 /tmp/learner-run
cd /home/learner
as_learner sh -c 'cd && tulvo-lookup --match exact 中文' >/tmp/out 2>&1 || { cat /tmp/out; fail "tulvo-lookup"; }
# The dictionary writes the reading of a language's name capitalized.
grep -q '^中文	Zhōng wén	Chinese language	' /tmp/out || fail "tulvo-lookup did not find 中文: $(cat /tmp/out)"
for command in tulvo tulvo-lookup tulvo-recognize tulvo-wordlist; do
    as_learner "$command" --version >/tmp/out 2>&1 || { cat /tmp/out; fail "$command --version"; }
    grep -q "^$command [0-9]" /tmp/out || fail "$command --version says: $(cat /tmp/out)"
    as_learner "$command" --help >/tmp/out 2>&1 || { cat /tmp/out; fail "$command --help"; }
    [ -s "/usr/share/man/man1/$command.1.gz" ] || fail "no manual page for $command"
    [ -e "/usr/share/bash-completion/completions/$command" ] || fail "no bash completion for $command"
done
as_learner sh -c 'cd / && tulvo-lookup --match exact 学习' >/tmp/out 2>&1 || { cat /tmp/out; fail "tulvo-lookup from /"; }
grep -q '^学习	xué xí	' /tmp/out || fail "tulvo-lookup from / did not find 学习: $(cat /tmp/out)"
# F1 opens the manual from the program directory.
[ -s /usr/lib/tulvo/manual/index.html ] || fail "the manual is not in the program directory"
as_learner tulvo-lookup --add-favorite 学习 || fail "tulvo-lookup --add-favorite"
as_learner tulvo-lookup --favorites >/tmp/out 2>&1 || { cat /tmp/out; fail "tulvo-lookup --favorites"; }
grep -q '^学习	xué xí	.*	1$' /tmp/out || fail "tulvo-lookup --favorites says: $(cat /tmp/out)"

step "without a display: our message and status 1"
status=0
as_learner tulvo >/tmp/out 2>&1 || status=$?
[ "$status" -eq 1 ] || { cat /tmp/out; fail "tulvo without a display ended with $status"; }
grep -q "no display" /tmp/out || fail "tulvo without a display says: $(cat /tmp/out)"
status=0
as_learner tulvo --lookup 中文 >/tmp/out 2>&1 || status=$?
[ "$status" -eq 1 ] || { cat /tmp/out; fail "tulvo --lookup without a display ended with $status"; }

step "the window starts (offscreen) and keeps its files in the user's folder"
as_learner env QT_QPA_PLATFORM=offscreen TULVO_QUIT_WHEN_SHOWN=1 timeout 60 tulvo >/tmp/out 2>&1 ||
    { cat /tmp/out; fail "tulvo did not start"; }
[ -e /home/learner/.local/share/tulvo/options.txt ] || fail "no user files in ~/.local/share/tulvo"

step "the shipped dictionary is dated by its header"
dictionary=/usr/lib/tulvo/data/CEDICT_ts.u8
header_date=$(sed -n 's/^#! date=\([0-9-]\{10\}\).*/\1/p' "$dictionary" | head -n 1)
[ "$(date -u -r "$dictionary" +%F)" = "$header_date" ] ||
    fail "the dictionary is dated $(date -u -r "$dictionary" +%F), its header $header_date"

step "purge leaves none of the package's files"
apt-get purge -y -q tulvo >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; fail "apt could not purge tulvo"; }
while read -r path; do
    [ -d "$path" ] && continue  # folders shared with other packages
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path is left after purge"
done </tmp/tulvo.files
[ ! -e /usr/lib/tulvo ] || fail "/usr/lib/tulvo is left after purge"
echo "PASS: installed, used and purged in a fresh root"
