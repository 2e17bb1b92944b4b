#!/bin/sh
# Runs two builds of tulvo-lookup over the same few hundred queries of every
# kind (characters, numbered, marked and toneless pinyin, English, wildcards,
# character codes, leading and trailing spaces, bracketed remarks, no hit)
# with every match part and a changing character form, preference and order,
# and reports every query whose output differs. Run it in the program
# directory (build/app), where data/CEDICT_ts.u8 is:
#
#   ../../tools/compare-lookup.sh OLD_TULVO_LOOKUP NEW_TULVO_LOOKUP [EVERY]
#
# EVERY (default 3000) takes one dictionary entry in that many as a source of
# queries. Exit 0 when every output is the same, 1 otherwise.
set -eu
old=$1
new=$2
every=${3:-3000}
dict=data/CEDICT_ts.u8
[ -f "$dict" ] || { echo "run in the program directory: $dict is missing" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Queries made from sample entries, one a line.
LC_ALL=C awk -v every="$every" '
    /^#/ { next }
    { n++ }
    n % every != 1 { next }
    {
        sub(/\r$/, "")
        trad = $1; simp = $2
        pinyin = $0; sub(/^[^[]*\[/, "", pinyin); sub(/\].*$/, "", pinyin)
        defs = $0; sub(/^[^\/]*\//, "", defs)
        split(defs, d, "/"); first = d[1]
        word = first; sub(/ .*$/, "", word)
        print simp; print trad; print substr(simp, 1, 3)
        print "*" substr(simp, 1, 3) "*"
        if (length(simp) > 3) print substr(simp, 1, 3) "*" substr(simp, length(simp) - 2)
        numbered = tolower(pinyin); gsub(/ /, "", numbered); print numbered
        toneless = numbered; gsub(/[0-5]/, "", toneless); print toneless
        marks = numbered; gsub(/[0-5]/, "?", marks); print marks
        print "marked:" pinyin
        print tolower(word); print first
        print " " tolower(word); print tolower(word) " "
        if (length(word) > 2) print substr(word, 1, 1) "*" substr(word, length(word))
        print "(" word ")" toneless
    }' "$dict" > "$work/queries"
cat >> "$work/queries" <<'FIXED'
zzqqxx
4e2d
20013
5b57
lv4
lü
ma?
to eat
*好*
中abc
a
the
nihao
FIXED
# Marked pinyin through the new build's own conversion.
: > "$work/all"
while IFS= read -r q; do
    case $q in
        marked:*) "$new" --to-marked "${q#marked:}" >> "$work/all" ;;
        *) printf '%s\n' "$q" >> "$work/all" ;;
    esac
done < "$work/queries"

i=0
differ=0
runs=0
while IFS= read -r q; do
    [ -n "$q" ] || continue
    i=$((i + 1))
    chars=$(echo "simplified both traditional" | cut -d' ' -f$((i % 3 + 1)))
    prefer=$(echo "simplified traditional" | cut -d' ' -f$((i % 2 + 1)))
    order=$(echo "list list list file" | cut -d' ' -f$((i % 4 + 1)))
    for match in beginning end anywhere exact; do
        "$old" --match $match --chars $chars --prefer $prefer --order $order -- "$q" > "$work/a" 2>&1 || true
        "$new" --match $match --chars $chars --prefer $prefer --order $order -- "$q" > "$work/b" 2>&1 || true
        runs=$((runs + 1))
        if ! cmp -s "$work/a" "$work/b"; then
            differ=$((differ + 1))
            echo "DIFFERS: --match $match --chars $chars --prefer $prefer --order $order -- '$q'"
            diff "$work/a" "$work/b" | head -5
        fi
    done
done < "$work/all"
echo "$runs runs of each build over $i queries, $differ differ"
[ "$differ" -eq 0 ]
