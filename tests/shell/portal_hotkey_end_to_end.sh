#!/bin/sh
# The lookup key through the desktop's GlobalShortcuts portal. A fake portal
# on a private session bus takes the shortcut Tulvo binds, then reports it
# pressed while another program holds 你好 selected: Tulvo must search 你好
# and put the clipboard back. Then a portal whose interface is of version 0:
# Tulvo must bind nothing there and grab F10 on X11 instead.
# Arguments: the copy-source program, the program directory, an artefact folder.
set -u
source_program=$1
app_dir=$2
artefacts=$3
here=$(dirname "$0")
mkdir -p "$artefacts"
work=$(mktemp -d)
pids=""
tulvo_pid=""
portal_pid=""
cleanup() {
    for p in $pids $tulvo_pid $portal_pid; do kill "$p" 2>/dev/null; done
    pidfile="$work/run/speech-dispatcher/pid/speech-dispatcher.pid"
    [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    for p in $pids $tulvo_pid $portal_pid; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    cp "$work"/*.log "$work"/portal*.out "$artefacts/" 2>/dev/null
    exit 1
}
. "$here/../../tools/x_session.sh"

mkdir -p "$work/data"
for f in "$app_dir"/data/*; do ln -s "$f" "$work/data/"; done
rm -f "$work/data/options.txt"
printf 'tulvo_hotkey=F10\r\n' >"$work/data/options.txt"
# The program folder is the executable's: a copy of its own.
cp "$app_dir/Tulvo" "$work/Tulvo"
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" HOME="$work"

start_virtual_display || fail "no virtual display"
dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
pids="$! $pids"
for i in $(seq 50); do [ -s "$work/bus" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
[ -n "$DBUS_SESSION_BUS_ADDRESS" ] || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS

"$source_program" "你好" >/dev/null 2>&1 &
pids="$! $pids"
source_window=$(window_named copy-source) || fail "no source window"

# Waits up to 15 s for a line matching the pattern in a file.
wait_line() {
    for i in $(seq 150); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# start_portal NAME [ARGUMENTS]: its report goes to portal-NAME.out.
start_portal() {
    out="$work/portal-$1.out"
    shift
    # Debian's interpreter, which has the D-Bus and GLib modules.
    /usr/bin/python3 "$here/../support/fake_shortcuts_portal.py" "$@" >"$out" 2>&1 &
    portal_pid=$!
    wait_line "$out" '^ready' || fail "the fake portal did not start"
}

start_tulvo() {
    (cd "$work" && exec ./Tulvo) >"$work/tulvo$1.log" 2>&1 &
    tulvo_pid=$!
    tulvo_window=$(window_named Tulvo) || fail "no Tulvo window"
}

stop_all() {
    kill "$tulvo_pid" "$portal_pid" 2>/dev/null
    wait "$tulvo_pid" "$portal_pid" 2>/dev/null
    tulvo_pid=""
    portal_pid=""
}

# The search box's text, copied out with the box focused.
search_box() {
    xdotool key ctrl+a ctrl+c
    sleep 0.5
    xclip -o -selection clipboard
}

# 1. A portal that offers global shortcuts.
start_portal offered
printf 'before' | xclip -selection clipboard >/dev/null 2>&1
start_tulvo 1
wait_line "$work/portal-offered.out" ' lookup F10$' || fail "Tulvo bound no shortcut at the portal"
xdotool windowfocus --sync "$source_window"
# F10 itself is the desktop's now, not grabbed by Tulvo as well.
xdotool key F10
sleep 1
xdotool windowfocus --sync "$tulvo_window"
box=$(search_box)
[ "$box" != "你好" ] || fail "F10 was grabbed beside the portal"
printf 'before' | xclip -selection clipboard >/dev/null 2>&1
xdotool windowfocus --sync "$source_window"
kill -USR1 "$portal_pid"
wait_line "$work/portal-offered.out" '^activated .* lookup$' || fail "the portal did not report a press"
sleep 1.5
import -window root "$artefacts/portal-activated.png" 2>/dev/null
clip=$(xclip -o -selection clipboard)
[ "$clip" = "before" ] || fail "clipboard holds '$clip' instead of 'before'"
box=$(search_box)
[ "$box" = "你好" ] || fail "after the portal's press the search box holds '$box'"
grep -q 'GlobalShortcuts portal' "$work/tulvo1.log" || fail "no word of the portal in the log"
stop_all

# 2. A portal of version 0: no shortcut bound there, the X11 key instead.
start_portal v0 --version 0
printf 'before' | xclip -selection clipboard >/dev/null 2>&1
start_tulvo 2
sleep 1
grep -q '^bound' "$work/portal-v0.out" && fail "a shortcut was bound at a version-0 portal"
xdotool windowfocus --sync "$source_window"
xdotool key F10
sleep 1.5
box=$(search_box)
[ "$box" = "你好" ] || fail "with a version-0 portal F10 left the search box at '$box'"
echo "PASS: the portal's press and, without it, F10 both looked up '$box'"
