#!/bin/sh
# at_display_scale.sh DPI PROGRAM [ARGS...]: runs PROGRAM under Wine
# (scripts/wine-run) with the display scale of the tree's prefix set to DPI
# (HKCU\Control Panel\Desktop LogPixels, which a Wine program reads when it
# starts), and puts the earlier setting back afterwards, also on failure.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
RUN="$ROOT/scripts/wine-run"
KEY='HKCU\Control Panel\Desktop'
dpi=$1
shift
# The server and display first: a server that starts during the run would
# let its first programs see another scale.
"$RUN" --setup
previous=$("$RUN" reg query "$KEY" /v LogPixels 2>/dev/null | tr -d '\r' |
    awk '$1 == "LogPixels" { print $3 }') || true
restore() {
    if [ -n "$previous" ]; then
        "$RUN" reg add "$KEY" /v LogPixels /t REG_DWORD /d "$((previous))" /f >/dev/null 2>&1
    else
        "$RUN" reg delete "$KEY" /v LogPixels /f >/dev/null 2>&1 || true
    fi
}
trap restore EXIT
"$RUN" reg add "$KEY" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
"$RUN" "$@"
