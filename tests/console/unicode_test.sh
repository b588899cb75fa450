#!/bin/sh
# brenkrun with names and arguments outside any ANSI code page, under Wine in
# the locale given (empty: unset): the program in a folder "Bücher Ω\中文"
# receives its arguments exactly, and the JSON, the log and the text report
# sent to a file are UTF-8 holding exactly those characters. Without a
# locale Wine names Linux files in ASCII alone: the folder and the files are
# then named in ASCII, and the arguments and the texts still carry them all.
#   unicode_test.sh <build-dir> <brenkrun.exe> <test-programs-dir> [locale]
set -eu
export BRENK_BUILD_DIR=$(cd "$1" && pwd)
BRENKRUN=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
PROGRAMS=$(cd "$3" && pwd)
WINE_RUN=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run
export BRENK_WINE_LOCALE="${4:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { printf "FAIL: %s\n" "$*"; exit 1; }
utf8() { iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1 || fail "$1 is not UTF-8"; }

if [ -n "${4:-}" ]; then folder="Bücher Ω" sub="中文" name="Ω" json="r ü.json" log="Jürgen Ω.csv" q='"'
else folder="Buecher" sub="zh" name="O" json="r u.json" log="Juergen.csv" q=""; fi
mkdir -p "$folder/$sub"
cp "$PROGRAMS/write_args.exe" "$folder/$sub/$name.exe"
printf '[Global]\r\nLanguage=0\r\n' >Brenk.ini
# A locale the system lacks is made for this test alone.
case "${4:-C.UTF-8}" in
C.UTF-8) ;;
*) if ! locale -a 2>/dev/null | grep -qix "$(echo "$4" | sed 's/UTF-8/utf8/')"; then
       mkdir locales
       localedef -i "${4%%.*}" -f UTF-8 "locales/$4" 2>/dev/null || fail "no locale $4 to be made"
       export LOCPATH="$work/locales"
   fi ;;
esac
# Wine hands a program its Linux command line through the locale's code page,
# which without a locale keeps ASCII alone: the line goes in a UTF-8 file.
printf '"Z:%s" --json "%s" --log "%s" "%s\\%s\\%s.exe" out.txt Ωmega 中 € „x“ "a b"' \
    "$(echo "$BRENKRUN" | tr / '\\')" "$json" "$log" "$folder" "$sub" "$name" >line.txt
"$WINE_RUN" "$PROGRAMS/run_line.exe" line.txt 2>report.txt || fail "status $?: $(cat report.txt)"
for file in out.txt "$json" "$log" report.txt; do utf8 "$file"; done
printf 'Ωmega\n中\n€\n„x“\na b\n' >wanted.txt
tail -n 5 out.txt | tr -d '\r' | cmp -s - wanted.txt || fail "arguments: $(cat out.txt)"
grep -q '"arguments": \["out.txt", "Ωmega", "中", "€", "„x“", "a b"\],' "$json" ||
    fail "JSON: $(cat "$json")"
grep -qF "\\\\$folder\\\\$sub\\\\$name.exe\"," "$json" ||
    fail "$(cat "$json")"
tr -d '\r' <"$log" | grep -qxF "# Programm : $q$folder\\$sub\\$name.exe$q out.txt Ωmega 中 € „x“ \"a b\"" ||
    fail "log: $(cat "$log")"
# The German captions line up by their characters, not their bytes.
grep -q '^Höchster Working-Set  : ' report.txt && grep -q '^Durchgänge            : ' report.txt ||
    fail "report: $(cat report.txt)"
echo "OK unicode ${4:-unset}"
