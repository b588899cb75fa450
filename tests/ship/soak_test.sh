#!/bin/sh
# The long run through the window: 100 open/start/quit cycles, then 30
# observed programs that end by themselves; brenk.exe's memory must stay
# where it was after the first cycle, no observed program may be left and
# the tool must still answer and end with exit code 0.
#
# It takes minutes, most of them spent waiting for the sampling interval, so
# it runs on a Wine prefix, server and display of its own and need not hold
# the shared display. The prefix is made anew for every run (in
# <build-dir>/soak.*): two runs of the test in one tree must not share a
# server, since ending one run's server would end the other's programs.
#   soak_test.sh <build-dir> <brenk.exe> <ship_robot.exe> <demo_workload.exe>
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export BRENK_BUILD_DIR
BRENK_BUILD_DIR=$(mktemp -d "$(cd "$1" && pwd)/soak.XXXXXX")
shift
work=$(mktemp -d)
trap '"$ROOT/scripts/wine-run" --cleanup; rm -rf "$work" "$BRENK_BUILD_DIR"' EXIT
cp "$1" "$work/brenk.exe"
cp "$3" "$work/demo_workload.exe"
cp "$ROOT/resources/Brenk.ini.en" "$work/Brenk.ini"
cd "$work"
"$ROOT/scripts/wine-run" --setup
status=0
"$ROOT/scripts/wine-run" "$2" soak brenk.exe demo_workload.exe "${SOAK_CYCLES:-100}" \
    "${SOAK_SELF_ENDING:-30}" >robot.out 2>wine.err || status=1
cat robot.out
# A Wine program whose server goes away ends with exit code 0, so success is
# the robot's own last word, not its exit code alone.
if [ "$(tail -n 1 robot.out | tr -d '\r')" != OK ]; then
    echo "FAIL: the robot did not finish"
    status=1
fi
# Wine's file requester reports once per opening that drive Z: (the Linux
# root) has no volume label; keep everything else.
grep -v 'FS volume label and serial are not available' wine.err >&2 || true
# Nothing started from this folder may outlive the run (Wine names the Linux
# process after the Windows path, which holds the folder's unique name).
token=$(basename "$work")
left=""
for cmdline in /proc/[0-9]*/cmdline; do
    # Processes that end meanwhile leave nothing to read.
    if { tr '\0' ' ' <"$cmdline"; } 2>/dev/null | grep -q "$token"; then
        pid=${cmdline#/proc/}
        left="$left ${pid%/cmdline}"
    fi
done
if [ -n "$left" ]; then
    echo "FAIL: processes left behind:$left"
    # They were started by this test; end them so that nothing outlives it.
    for pid in $left; do kill -9 "$pid" 2>/dev/null || true; done
    status=1
fi
exit $status
