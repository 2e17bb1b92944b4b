#!/bin/sh
# Two programs changing the favorites at once, each a string of tulvo-lookup
# runs: every word must be kept. Usage: parallel_favorites.sh TULVO_LOOKUP
set -eu
lookup=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/data"
# The tool keeps its favorites in its own program directory: a copy here.
cp "$lookup" "$dir/tulvo-lookup"
lookup="$dir/tulvo-lookup"
cd "$dir"

# 150 two-character words per program, none shared: 一X and 二X.
words() {
    python3 -c "import sys; [print(sys.argv[1] + chr(0x4E00 + 300 + i)) for i in range(150)]" "$1"
}
run() {
    words "$1" | while read -r word; do "$lookup" "$2" "$word" || exit 1; done
}
# Both programs at once, then the store's size: one block of length 2, 8
# bytes of header plus 4 per word kept.
both() {
    run 一 "$1" & a=$!
    run 二 "$2" & b=$!
    wait $a
    wait $b
    size=$(stat -c %s data/favorites.dat)
    if [ "$size" != "$3" ]; then
        echo "after $1 and $2 favorites.dat has $size bytes, not $3: $4" >&2
        exit 1
    fi
}
both --add-favorite --add-favorite 1208 "words were lost"
both --remove-favorite --add-favorite 608 "one program's removals and the other's adds did not both hold"
ls data | grep -v '^favorites\.dat\(\.lock\)\?$' && { echo "files left in data/" >&2; exit 1; }
exit 0
