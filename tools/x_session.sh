# Sourced by the scripts that drive Tulvo on a virtual X display (the
# end-to-end shell tests and tools/manual-screenshots.sh). They set $work (a
# scratch folder) and $pids (processes their cleanup ends) first.

# Starts Xvfb on a free display of its own and exports DISPLAY once it takes
# clients (the number comes first; a program started just then, on a busy
# machine, found no display). -noreset: by default the server resets when
# its last client leaves and refuses connections meanwhile.
start_virtual_display() {
    Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset 3>"$work/display" >/dev/null 2>&1 &
    pids="$! $pids"
    for i in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "no virtual display" >&2; return 1; }
    export DISPLAY=":$(cat "$work/display")"
    for i in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "the virtual display takes no clients" >&2
    return 1
}

# The first visible window whose whole name matches the pattern, waited for
# up to 30 s.
window_named() {
    for i in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "no window named $1" >&2
    return 1
}
