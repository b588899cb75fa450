#!/bin/sh
# A batch file's arguments stay data: brenkrun runs it through the command
# processor with each argument quoted, so & ^ and blanks arrive as given and
# nothing after an & runs; an argument no quoting can keep from the
# processor (a quotation mark, a percent sign) is refused with 125 before
# anything starts. The batch is found by its bare name through PATHEXT.
#   batch_test.sh <build-dir> <brenkrun.exe>
set -eu
export BRENK_BUILD_DIR=$(cd "$1" && pwd)
BRENKRUN=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
WINE_RUN=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { printf "FAIL: %s\n" "$*"; exit 1; }

printf '@echo started>started.txt\r\n@echo [%%1]\r\n@echo [%%2]\r\n@echo [%%3]\r\n' >t.cmd
"$WINE_RUN" "$BRENKRUN" --quiet t 'a&echo.INJECTED' '^' 'a b' >out.txt 2>err.txt ||
    fail "status $?: $(cat err.txt)"
printf '["a&echo.INJECTED"]\n["^"]\n["a b"]\n' >wanted.txt
tr -d '\r' <out.txt | cmp -s - wanted.txt || fail "the batch echoed: $(cat out.txt)"
rm started.txt
for odd in '"' '%PATH%'; do
    status=0
    "$WINE_RUN" "$BRENKRUN" --json no.json t.cmd 'a&echo.INJECTED' "$odd" '^' >out.txt 2>err.txt || status=$?
    [ $status -eq 125 ] && [ ! -s out.txt ] && [ ! -e started.txt ] &&
        grep -q '"exit_code": null,' no.json && grep -q '"error": {"code": null, "message": "an argument' no.json ||
        fail "$odd: status $status, output $(cat out.txt no.json)"
    grep -q 'nothing started' err.txt || fail "$odd: $(cat err.txt)"
done
echo "OK batch"
