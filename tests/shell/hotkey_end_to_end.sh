#!/bin/sh
# The global hotkey in a virtual X session: another program holds 你好
# selected, F10 is pressed there, and Tulvo must search 你好 while the
# clipboard afterwards holds what it held before.
# Arguments: the copy-source program, the program directory, an artefact folder.
set -u
source_program=$1
app_dir=$2
artefacts=$3
mkdir -p "$artefacts"
work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null; done
    # The speech service Tulvo spawned ends with the test.
    pidfile="$work/run/speech-dispatcher/pid/speech-dispatcher.pid"
    [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    for p in $pids; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
. "$(dirname "$0")/../../tools/x_session.sh"

# A program directory of its own: the real data and F10 as the hotkey.
mkdir -p "$work/data"
for f in "$app_dir"/data/*; do ln -s "$f" "$work/data/"; done
rm -f "$work/data/options.txt"
printf 'tulvo_hotkey=F10\r\n' > "$work/data/options.txt"
# Tulvo takes its executable's folder as its program directory: a copy here.
ln "$app_dir/Tulvo" "$work/Tulvo" 2>/dev/null || cp "$app_dir/Tulvo" "$work/Tulvo"
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"

start_virtual_display || fail "no virtual display"

"$source_program" "你好" >/dev/null 2>&1 &
pids="$! $pids"
printf 'before' | xclip -selection clipboard >/dev/null 2>&1
(cd "$work" && exec ./Tulvo) >"$artefacts/tulvo.log" 2>&1 &
pids="$! $pids"

source_window=$(window_named copy-source) && window_named Tulvo >/dev/null ||
    fail "windows did not appear"
sleep 0.5

xdotool windowfocus --sync "$source_window"
xdotool key F10
sleep 1.5
import -window root "$artefacts/after-f10.png" 2>/dev/null

clip=$(xclip -o -selection clipboard)
[ "$clip" = "before" ] || fail "clipboard holds '$clip' instead of 'before'"

# The search box has the focus: copy its text to see what was searched.
xdotool key ctrl+a ctrl+c
sleep 0.5
box=$(xclip -o -selection clipboard)
[ "$box" = "你好" ] || fail "search box holds '$box'"
[ ! -e "$work/clipboard.tmp" ] || fail "clipboard.tmp left behind"
echo "PASS: F10 looked up '$box'; the clipboard held '$clip' again"
