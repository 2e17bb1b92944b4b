#!/bin/sh
# Two programs changing the favorites at once, each a string of tulvo-lookup
# runs: every word must be kept. Usage: parallel_favorites.sh TULVO_LOOKUP
set -eu
lookup=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/data"
cd "$dir"

# 150 two-character words per program, none shared: 一X and 二X.
words() {
    python3 -c "import sys; [print(sys.argv[1] + chr(0x4E00 + 300 + i)) for i in range(150)]" "$1"
}
run() {
    words "$1" | while read -r word; do "$lookup" "$2" "$word" || exit 1; done
}
run 一 --add-favorite & a=$!
run 二 --add-favorite & b=$!
wait $a
wait $b
# One block of length 2 holding 300 words: 8 + 300 x 4 bytes.
size=$(stat -c %s data/favorites.dat)
if [ "$size" != 1208 ]; then
    echo "after the adds favorites.dat has $size bytes, not 1208: words were lost" >&2
    exit 1
fi
run 一 --remove-favorite & a=$!
run 二 --add-favorite & b=$!
wait $a
wait $b
size=$(stat -c %s data/favorites.dat)
if [ "$size" != 608 ]; then
    echo "after removing one program's words favorites.dat has $size bytes, not 608" >&2
    exit 1
fi
ls data | grep -v '^favorites\.dat\(\.lock\)\?$' && { echo "files left in data/" >&2; exit 1; }
exit 0
