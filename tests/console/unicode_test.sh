#!/bin/sh
# brenkrun with names and arguments outside any ANSI code page, under Wine in
# the locale given (empty: unset): the program in a folder "Bücher Ω\中文"
# receives its arguments exactly, and the JSON, the log and the text report
# sent to a file are UTF-8 holding exactly those characters.
#   unicode_test.sh <build-dir> <brenkrun.exe> <test-programs-dir> [locale]
set -eu
export BRENK_BUILD_DIR=$(cd "$1" && pwd)
BRENKRUN=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
PROGRAMS=$(cd "$3" && pwd)
WINE_RUN=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run
if [ -n "${4:-}" ]; then export LANG="$4" LC_ALL="$4"; else unset LANG LC_ALL; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { printf "FAIL: %s\n" "$*"; exit 1; }
utf8() { iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1 || fail "$1 is not UTF-8"; }

mkdir -p "Bücher Ω/中文"
cp "$PROGRAMS/write_args.exe" "Bücher Ω/中文/Ω.exe"
printf '[Global]\r\nLanguage=0\r\n' >Brenk.ini
"$WINE_RUN" "$BRENKRUN" --json "r ü.json" --log "Jürgen Ω.csv" 'Bücher Ω\中文\Ω.exe' \
    out.txt Ωmega 中 € '„x“' 'a b' 2>report.txt || fail "status $?: $(cat report.txt)"
for file in out.txt "r ü.json" "Jürgen Ω.csv" report.txt; do utf8 "$file"; done
printf 'Ωmega\n中\n€\n„x“\na b\n' >wanted.txt
tail -n 5 out.txt | tr -d '\r' | cmp -s - wanted.txt || fail "arguments: $(cat out.txt)"
grep -q '"arguments": \["out.txt", "Ωmega", "中", "€", "„x“", "a b"\],' "r ü.json" ||
    fail "JSON: $(cat "r ü.json")"
grep -q '"program": ".*\\\\Bücher Ω\\\\中文\\\\Ω.exe",' "r ü.json" || fail "$(cat "r ü.json")"
grep -q '^# Programm : "Bücher Ω\\中文\\Ω.exe" out.txt Ωmega 中 € „x“ "a b"' "Jürgen Ω.csv" ||
    fail "log: $(cat "Jürgen Ω.csv")"
# The German captions line up by their characters, not their bytes.
grep -q '^Höchster Working-Set  : ' report.txt && grep -q '^Durchgänge            : ' report.txt ||
    fail "report: $(cat report.txt)"
echo "OK unicode ${4:-unset}"
