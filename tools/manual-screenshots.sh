#!/bin/sh
# Makes the manual's pictures (docs/manual/pictures/*.png) from the real
# windows: installs Tulvo into a scratch folder, runs it on a virtual X
# display with a scratch HOME, drives it with xdotool and photographs each
# window with ImageMagick's import. Run after `make data`; commit the pictures
# it writes when the windows change.
# Usage: tools/manual-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
set -eu
build=${1:-build/cmake}
out=$(readlink -f "${2:-docs/manual/pictures}")
strokes=$(readlink -f tests/handwriting/strokes/guo.txt)
work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out"

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$work/root/usr"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
unset XDG_DATA_HOME WAYLAND_DISPLAY
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

. "$(dirname "$0")/x_session.sh"
start_virtual_display
# A photograph of one window, in few colours to keep the file small.
photograph() {
    import -window "$1" "$work/shot.png"
    convert "$work/shot.png" -colors 128 -strip "$out/$2"
    echo "wrote $out/$2"
}

"$usr/bin/tulvo" >"$work/tulvo.log" 2>&1 &
pids="$! $pids"
main=$(window_named Tulvo)
sleep 1

# A pinyin search; the first row's word in the character panel.
xdotool windowfocus --sync "$main" type --delay 30 "nihao"
xdotool key Return
sleep 1
xdotool mousemove --window "$main" 480 70 click 1
sleep 1
photograph "$main" main-window.png

# Three strokes of a character on the writing pad (at 780,42 in the window).
while read -r stroke; do
    first=1
    for point in $stroke; do
        x=$((${point%,*} + 780)) y=$((${point#*,} + 42))
        xdotool mousemove --window "$main" "$x" "$y"
        if [ $first = 1 ]; then xdotool mousedown 1; first=0; fi
    done
    xdotool mouseup 1
    sleep 0.3
done <"$strokes"
sleep 1
photograph "$main" handwriting.png

# The radical window opens on a right click into the search box.
xdotool mousemove --window "$main" 300 18 click 3
radicals=$(window_named "Select a character from its radical.*")
sleep 1
photograph "$radicals" radicals.png
xdotool key Escape

# The options window, as the main window starts it.
(cd "$usr/lib/tulvo" && exec ./data/Tulvo_options "version 0.1") >/dev/null 2>&1 &
pids="$! $pids"
options=$(window_named "Tulvo options")
sleep 1
photograph "$options" options.png
