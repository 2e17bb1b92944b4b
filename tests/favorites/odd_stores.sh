#!/bin/sh
# tulvo-lookup --add-favorite on stores it must not change as they are: a
# damaged one and a read-only one are refused (exit 1, the reason on standard
# error, the file untouched); a linked one is changed in the link's target.
# Usage: odd_stores.sh TULVO_LOOKUP
set -eu
dir=$(mktemp -d)
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
mkdir "$dir/data"
# The program's folder is its executable's: a copy in the scratch folder.
cp "$1" "$dir/tulvo-lookup"
lookup=$dir/tulvo-lookup
cd "$dir"
fail() { echo "FAIL: $*" >&2; exit 1; }

# A valid block (一, length 1) followed by seven bytes of 0xFF.
printf '\001\000\000\000\001\000\000\000\000\116\377\377\377\377\377\377\377' > data/favorites.dat
cp data/favorites.dat damaged.copy
if "$lookup" --add-favorite 一路平安 2> err.txt; then fail "a damaged store took a word"; fi
grep -q damaged err.txt || fail "no reason given: $(cat err.txt)"
cmp -s data/favorites.dat damaged.copy || fail "the damaged store was changed"

# Read-only: refused, kept, still read-only.
printf '\001\000\000\000\001\000\000\000\000\116' > data/favorites.dat
chmod 444 data/favorites.dat
if "$lookup" --add-favorite 中国 2> err.txt; then fail "a read-only store took a word"; fi
grep -q read-only err.txt || fail "no reason given: $(cat err.txt)"
[ "$(stat -c %a data/favorites.dat)" = 444 ] || fail "the read-only store was replaced"

# A link: the target changes, the link stays.
rm -f data/favorites.dat
mkdir elsewhere
: > elsewhere/words.dat
ln -s ../elsewhere/words.dat data/favorites.dat
"$lookup" --add-favorite 中国 || fail "the linked store refused a word"
[ -L data/favorites.dat ] || fail "the link was replaced by a file"
[ "$(stat -c %s elsewhere/words.dat)" = 12 ] || fail "the link's target did not get the word"
exit 0
