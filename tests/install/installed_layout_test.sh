#!/bin/sh
# Installs into a scratch DESTDIR and runs the installed programs as a user
# with a scratch HOME: the desktop files must pass both validators, the
# launchers must work from any directory, every file the programs write must
# land in the XDG folder, a dictionary there must win over the shipped one,
# and nothing in the installation may change (this test may well run as root).
# Arguments: the CMake build directory, a folder of stroke files.
set -u
build=$1
strokes=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
usr="$work/root/usr"
app="$usr/lib/tulvo"

for f in bin/tulvo bin/tulvo-lookup bin/tulvo-recognize lib/tulvo/Tulvo lib/tulvo/tulvo-lookup \
         lib/tulvo/tulvo-recognize lib/tulvo/data/Tulvo_options lib/tulvo/data/kestrine \
         lib/tulvo/data/ploskar; do
    [ -x "$usr/$f" ] || fail "$f is not installed as a program"
done
for f in CEDICT_ts.u8 freq.dat recog.dat radicals.txt installed-layout; do
    [ -s "$app/data/$f" ] || fail "data/$f is not installed"
done
# The dictionary is dated by its header, not by when it was built.
header_date=$(sed -n 's/^#! date=\([0-9-]\{10\}\).*/\1/p' "$app/data/CEDICT_ts.u8" | head -n 1)
[ -n "$header_date" ] || fail "the dictionary's header has no date"
[ "$(date -u -r "$app/data/CEDICT_ts.u8" +%F)" = "$header_date" ] ||
    fail "the installed dictionary is dated $(date -u -r "$app/data/CEDICT_ts.u8" +%F), its header $header_date"
# The copyright file holds the licence of the programs and of every data source.
for licence in Expat CC-BY-SA-4.0 Arphic-1999 Unicode-DFS-2016 ISC; do
    grep -q "^License: $licence\$" "$usr/share/doc/tulvo/copyright" || fail "copyright lacks $licence"
done
[ -s "$usr/share/doc/tulvo/changelog.gz" ] || fail "no changelog"
# Each command: a manual page naming every option of its --help, and bash
# completion of its options.
for command in tulvo tulvo-lookup tulvo-recognize tulvo-wordlist; do
    page="$usr/share/man/man1/$command.1.gz"
    gzip -t "$page" 2>/dev/null || fail "no manual page for $command"
    zcat "$page" | grep -q "^\.TH \"$command\" \"1\"" || fail "$command.1 is not a manual page of section 1"
    for option in $("$usr/bin/$command" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        zcat "$page" | grep -q -- "$option" || fail "the manual page of $command lacks $option"
    done
    [ -e "$usr/share/bash-completion/completions/$command" ] || fail "no completion for $command"
done
completions=$(bash -c '. "$1"; COMP_WORDS=(tulvo-lookup --match ""); COMP_CWORD=2; _tulvo_commands
                       echo "${COMPREPLY[*]}"' sh "$usr/share/bash-completion/completions/tulvo-lookup")
[ "$completions" = "beginning end anywhere exact" ] || fail "tulvo-lookup --match completes to: $completions"
[ -s "$app/manual/index.html" ] || fail "the manual is not installed"
# Every page and picture the manual links to is installed.
for page in "$app"/manual/*.html; do
    for target in $(grep -o '\(href\|src\)="[^"#:]*' "$page" | sed 's/.*="//'); do
        [ -e "$app/manual/$target" ] || fail "$(basename "$page") links to missing $target"
    done
done
for f in favorites.dat options.txt "install complete.txt" clipboard.tmp; do
    [ ! -e "$app/data/$f" ] || fail "the build tree's user file $f was installed"
done
desktop-file-validate "$usr/share/applications/example.tulvo.Tulvo.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/example.tulvo.Tulvo.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "metainfo"; }
[ -s "$usr/share/icons/hicolor/scalable/apps/example.tulvo.Tulvo.svg" ] || fail "icon"

snapshot() { (cd "$work/root" && find . -printf '%p %s %m %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }
snapshot >"$work/before"

export HOME="$work/home"
unset XDG_DATA_HOME
mkdir -p "$HOME" "$work/cwd/sub"
cp "$strokes/guo.txt" "$work/cwd/sub/strokes.txt"
user="$HOME/.local/share/tulvo"
cd "$work/cwd" || fail "cd"

# The command-line tools through their launchers, from an unrelated folder;
# a relative file argument still names the file the user meant.
"$usr/bin/tulvo-lookup" --match exact 学习 >"$work/lookup.out" || fail "tulvo-lookup failed"
grep -q "^学习	xué xí	" "$work/lookup.out" || fail "tulvo-lookup did not find 学习: $(cat "$work/lookup.out")"
"$usr/bin/tulvo-recognize" sub/strokes.txt >"$work/recognize.out" || fail "tulvo-recognize failed"
[ -s "$work/recognize.out" ] || fail "tulvo-recognize gave no candidates for a relative file"
"$usr/bin/tulvo-lookup" --add-favorite 学习 || fail "--add-favorite"
[ -s "$user/favorites.dat" ] || fail "the favorite did not go to $user"
[ "$(stat -c %a "$user")" = 700 ] || fail "$user is open to others"

# The window, started and ended at once on Qt's offscreen platform.
QT_QPA_PLATFORM=offscreen TULVO_QUIT_WHEN_SHOWN=1 XDG_RUNTIME_DIR="$work/run" \
    timeout 60 "$usr/bin/tulvo" >"$work/tulvo.log" 2>&1 || { cat "$work/tulvo.log"; fail "Tulvo did not start"; }
for f in options.txt "install complete.txt"; do
    [ -e "$user/$f" ] || fail "Tulvo did not write $f to $user"
done

# A downloaded dictionary in the user folder takes precedence.
printf '# a downloaded dictionary\r\n試驗 试验 [shi4 yan4] /a downloaded entry/\r\n' >"$user/CEDICT_ts.u8"
"$usr/bin/tulvo-lookup" --match exact 试验 >"$work/own.out" || fail "tulvo-lookup on the user's dictionary"
grep -q "a downloaded entry" "$work/own.out" || fail "the user's dictionary was not used: $(cat "$work/own.out")"
rm "$user/CEDICT_ts.u8"

# XDG_DATA_HOME moves the folder.
XDG_DATA_HOME="$work/xdg" "$usr/bin/tulvo-lookup" --add-favorite 你好 || fail "--add-favorite with XDG_DATA_HOME"
[ -s "$work/xdg/tulvo/favorites.dat" ] || fail "XDG_DATA_HOME was not followed"

snapshot >"$work/after"
diff "$work/before" "$work/after" >"$work/changes" || { cat "$work/changes"; fail "the installation changed"; }
echo "PASS: installed programs kept their files in $user; the installation did not change"
