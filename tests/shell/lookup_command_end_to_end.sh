#!/bin/sh
# `Tulvo --lookup` in a virtual X session: the text reaches the running
# window's search box and is searched (the result list fills), a text far
# longer than the old 0x507 message could carry arrives whole through
# standard input, and with no window running the command starts one that
# searches the text. Every --lookup must return at once.
# Arguments: the program directory, an artefact folder.
set -u
[ -n "${TULVO_TEST_TRACE:-}" ] && set -x
app_dir=$1
artefacts=$2
mkdir -p "$artefacts"
work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null; done
    for w in $(xdotool search --name '^Tulvo$' getwindowpid %@ 2>/dev/null); do kill "$w" 2>/dev/null; done
    for p in $pids; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
. "$(dirname "$0")/../../tools/x_session.sh"

# A program directory of its own over the real data.
mkdir -p "$work/data" "$work/run"
for f in "$app_dir"/data/*; do ln -s "$f" "$work/data/"; done
rm -f "$work/data/options.txt" "$work/data/favorites.dat"
# Tulvo takes its executable's folder as its program directory: a copy here.
ln "$app_dir/Tulvo" "$work/Tulvo" 2>/dev/null || cp "$app_dir/Tulvo" "$work/Tulvo"
chmod 700 "$work/run"
# The locator's socket in a folder of this test's own, away from any other
# Tulvo running on the machine.
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/run"
unset TULVO_QUIT_WHEN_SHOWN
unset WAYLAND_DISPLAY

start_virtual_display || fail "no virtual display"

# The search box's text: a click into the box, then select all and copy (a
# search leaves the focus on the result list, whose copy is the row's word).
box_text() {
    xdotool windowfocus --sync "$1" mousemove --window "$1" 200 18 click 1 key ctrl+a ctrl+c
    sleep 0.3
    xclip -o -selection clipboard 2>/dev/null
}
# Waits up to ten seconds (the machine may be busy) for the box to hold $2.
expect_box() {
    for i in $(seq 20); do
        seen=$(box_text "$1")
        [ "$seen" = "$2" ] && return 0
        sleep 0.2
    done
    fail "$3: the search box holds '$seen'"
}
# How many colours the first rows of the result list show: one or two
# while it is empty, many once rows are drawn.
list_colours() {
    import -window "$1" "$artefacts/$2.png"
    convert "$artefacts/$2.png" -crop 200x16+330+68 -format %k info:
}
# Runs a --lookup, which must return within two seconds.
lookup() {
    start=$(date +%s%N)
    (cd "$work" && timeout 10 ./Tulvo --lookup "$@") || fail "--lookup $* failed"
    elapsed=$((($(date +%s%N) - start) / 1000000))
    [ "$elapsed" -lt 2000 ] || fail "--lookup $* took $elapsed ms"
}

(cd "$work" && exec ./Tulvo) >"$artefacts/tulvo.log" 2>&1 &
pids="$! $pids"
window=$(window_named Tulvo) || fail "the window did not appear"
sleep 0.5
[ "$(list_colours "$window" empty)" -le 2 ] || fail "the result list is not empty at start"

lookup 你好
expect_box "$window" 你好 "--lookup 你好"
[ "$(list_colours "$window" nihao)" -gt 4 ] || fail "你好 was not searched (the result list is empty)"

# 300 characters through standard input, with the line end a pipe brings.
long=$(python3 -c 'print("学习" * 150)')
printf '%s\n' "$long" | lookup -
expect_box "$window" "$long" "300 characters through standard input"

# No window: the command starts one with the text searched.
kill "$(xdotool getwindowpid "$window")"
for i in $(seq 50); do xdotool search --onlyvisible --name '^Tulvo$' >/dev/null 2>&1 || break; sleep 0.1; done
lookup 中文
window=$(window_named Tulvo) || fail "--lookup started no window"
expect_box "$window" 中文 "a window started by --lookup 中文"
[ "$(list_colours "$window" started)" -gt 4 ] || fail "the started window did not search 中文"
echo "PASS: --lookup reached the running window, carried 300 characters, and started a window"
