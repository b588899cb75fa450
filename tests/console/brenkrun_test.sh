#!/bin/sh
# brenkrun.exe under Wine as a console user meets it, one scenario a call:
#   brenkrun_test.sh SCENARIO <build-dir> <brenkrun.exe> <test-programs-dir>
# Each scenario runs in a fresh folder of its own.
set -eu
SCENARIO=$1
export BRENK_BUILD_DIR=$(cd "$2" && pwd)
BRENKRUN=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
PROGRAMS=$(cd "$4" && pwd)
WINE_RUN=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run
CHECK_IMPORTS=$(cd "$(dirname "$0")/../e2e" && pwd)/check_imports.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { printf "FAIL: %s\n" "$*"; exit 1; }
brenkrun() { "$WINE_RUN" "$BRENKRUN" "$@"; }
program() { printf 'Z:%s\\%s' "$(printf %s "$PROGRAMS" | tr / '\\')" "$1"; }
# A key of the JSON report (one key a line) as its plain value.
key() { sed -n "s/^  \"$1\": \\(.*\\),\$/\\1/p; s/^  \"$1\": \\([^,]*\\)\$/\\1/p" "$2"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
within() { # value reference percent what
    [ "$2" -gt 0 ] && [ $(( ($1 - $2) * 100 )) -le $(( $3 * $2 )) ] &&
        [ $(( ($2 - $1) * 100 )) -le $(( $3 * $2 )) ] || fail "$4: $1, Linux says $2"
}
# The Linux process of the Windows program (not brenkrun) whose command line
# holds the token: Wine gives it the Windows command line.
linux_pid() {
    pid=""
    tries=0
    while [ -z "$pid" ]; do
        tries=$((tries + 1)); [ $tries -le 500 ] || fail "no Linux process with $1"
        pid=$(grep -l "$1" /proc/[0-9]*/cmdline 2>/dev/null | while read -r f; do
            tr '\0' ' ' 2>/dev/null <"$f" | grep -v brenkrun | grep -q "^[A-Z]:.*$1" && echo "$f"
        done | head -n 1 | cut -d/ -f3)
        [ -n "$pid" ] || sleep 0.01
    done
}
# That process followed while it runs: its last figures before its end into
# linux.figures (VmHWM in bytes, utime + stime in ms).
follow_linux() {
    linux_pid "$1"
    while hwm=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null) &&
        stat=$(cat "/proc/$pid/stat" 2>/dev/null) && [ -n "$hwm" ]; do
        set -- $(echo "${stat##*) }" | cut -d' ' -f12,13)
        echo "$((hwm * 1024)) $((($1 + $2) * 10))" >linux.figures
        sleep 0.01
    done
}

case "$SCENARIO" in
imports) # no Wine needed
    sh "$CHECK_IMPORTS" "$BRENKRUN"
    # What every console program loads, and no more: the graph's libraries
    # are bound when --plot draws, so a start without it does not pay for them.
    dlls=$(x86_64-w64-mingw32-objdump -p "$BRENKRUN" | sed -n 's/^[[:space:]]*DLL Name: //p' |
        tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    [ "$dlls" = "kernel32.dll msvcrt.dll " ] || fail "loaded at every start: $dlls"
    ;;
exit_codes)
    for code in 0 3 255; do
        status=0; brenkrun --quiet "$(program exit_code.exe)" $code || status=$?
        [ $status -eq $code ] || fail "exit code $code came back as $status"
    done
    status=0; brenkrun --json crash.json "$(program exit_code.exe)" crash 2>report.txt || status=$?
    [ $status -eq 5 ] || fail "a crash gave status $status"
    [ "$(key exit_code crash.json)" = 3221225477 ] || fail "JSON: $(cat crash.json)"
    grep -q '^Exit code  *: 0xC0000005 (Access violation)' report.txt || fail "$(cat report.txt)"
    printf '[Global]\r\nLanguage=0\r\n' >Brenk.ini
    brenkrun "$(program exit_code.exe)" 2>bericht.txt
    grep -q '^Laufzeit  *: [0-9]*,[0-9][0-9][0-9] s' bericht.txt || fail "$(cat bericht.txt)"
    rm Brenk.ini
    # brenkrun's own faults: nothing is started.
    for bad in "--interval 49" "--cpu-scale 3" "--bogus" "--plot-size 640x15 --plot bad.png"; do
        status=0; brenkrun $bad "$(program write_args.exe)" started.txt 2>usage.txt || status=$?
        [ $status -eq 125 ] && [ "$(wc -l <usage.txt)" -eq 2 ] &&
            grep -q '^usage: brenkrun' usage.txt || fail "'$bad' gave $status: $(cat usage.txt)"
    done
    status=0; brenkrun no_such_program_here.exe 2>missing.txt || status=$?
    [ $status -eq 127 ] || fail "a missing program gave $status: $(cat missing.txt)"
    echo "not a program" >text.exe
    status=0; brenkrun text.exe 2>unstarted.txt || status=$?
    [ $status -eq 126 ] || fail "a file that is no program gave $status: $(cat unstarted.txt)"
    [ ! -e started.txt ] && [ ! -e bad.png ] || fail "a faulty call started the program"
    ;;
figures)
    token=figures-$$-memory
    brenkrun --interval 100 --json memory.json "$(program grow_memory.exe)" 96 1500 $token &
    follow_linux $token
    wait $!
    set -- $(cat linux.figures)
    within "$(key peak_working_set_bytes memory.json)" "$1" 5 "peak working set"
    [ "$(key working_set_maximum_bytes memory.json)" -le "$(key peak_working_set_bytes memory.json)" ] ||
        fail "the passes' largest working set lies above the peak"
    token=figures-$$-burn
    brenkrun --interval 100 --json burn.json "$(program burn_user.exe)" 1500 1 $token &
    follow_linux $token
    wait $!
    set -- $(cat linux.figures)
    within "$(key processor_time_ms burn.json)" "$2" 10 "processor time"
    ;;
arguments)
    brenkrun --quiet "$(program write_args.exe)" args.txt "a b" 'say "hi"' 'C:\dir\' 'a\\"b' '' \
        "tab	x" '\\server\share\' 2>/dev/null
    tr -d '\r' <args.txt >got.txt
    printf '%s\n' "$(pwd | tr / '\\')" "a b" 'say "hi"' 'C:\dir\' 'a\\"b' '' "tab	x" \
        '\\server\share\' >expected.txt
    # Line 1: the folder the program ran in (brenkrun's own); then its name and
    # the file it writes.
    sed 1s/^Z:// got.txt | sed 2,3d | diff expected.txt - || fail "the arguments did not arrive as given"
    ;;
stdio)
    printf 'one\r\nzwei \\ "drei"\n\001\377' >input.bin
    brenkrun "$(program copy_input.exe)" <input.bin >output.bin 2>report.txt
    cmp input.bin output.bin || fail "standard input did not come out as it went in"
    grep -q '^Exit code  *: 0' report.txt || fail "no report on standard error: $(cat report.txt)"
    ;;
children)
    brenkrun --children --interval 100 --json tree.json "$(program spawn_children.exe)" 2 24 700
    [ "$(key processes tree.json)" -eq 3 ] && [ "$(key children tree.json)" = true ] ||
        fail "the tree: $(cat tree.json)"
    [ "$(key peak_working_set_bytes tree.json)" -ge $((48 << 20)) ] ||
        fail "a parent and its child held 48 MB at once: $(cat tree.json)"
    brenkrun --interval 100 --json alone.json "$(program spawn_children.exe)" 1 8 300
    [ "$(key processes alone.json)" -eq 1 ] || fail "without --children: $(cat alone.json)"
    # A build's shape: a batch file starts three programs at once, each
    # holding other memory (long enough for all three to hold it together,
    # though Wine takes a second to start each). Their peaks order them as their memory does, and
    # together they make the tree's peak and processor time.
    printf '@echo off\r\n' >tree.cmd
    for mb in 24 72 48; do
        printf 'start "" /b "%s" %s 6000\r\n' "$(program grow_memory.exe)" $mb >>tree.cmd
    done
    # Linux's own count of each child (its peak and its processor time) is
    # followed while they run: each child's figures agree with it within 5 %,
    # or say that they were not measured.
    python3 - "$WINE_RUN" "$BRENKRUN" build.json <<'CHECK' || fail "the build's processes: $(cat build.json)"
import json, os, re, subprocess, sys, time
run = subprocess.Popen([sys.argv[1], sys.argv[2], "--children", "--interval", "200", "--json", sys.argv[3], "tree.cmd"])
linux = {}  # the child's MB: (peak bytes, processor ms)
while run.poll() is None:
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            line = open(f"/proc/{pid}/cmdline", "rb").read().replace(b"\0", b" ").decode("latin-1")
            mb = re.search(r"grow_memory\.exe\W+(\d+) 6000", line)
            hwm = int(re.search(r"VmHWM:\s+(\d+)", open(f"/proc/{pid}/status").read()).group(1))
            stat = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
            linux[int(mb.group(1))] = (hwm << 10, (int(stat[11]) + int(stat[12])) * 1000 // os.sysconf("SC_CLK_TCK"))
        except (OSError, AttributeError, IndexError):
            pass
    time.sleep(0.05)
d = json.load(open(sys.argv[3]))
grow = sorted((p for p in d["process_list"] if p["name"] == "grow_memory.exe"), key=lambda p: p["start_ms"])
assert len(grow) == 3 and all(p["exit_code"] == 0 for p in grow), grow
for p, mb in zip(grow, (24, 72, 48)):
    peak, ms = linux[mb]
    assert p["peak_working_set_bytes"] is None or abs(p["peak_working_set_bytes"] - peak) <= peak / 20, (p, peak)
    assert p["processor_time_ms"] is None or abs(p["processor_time_ms"] - ms) <= ms / 20 + 20, (p, ms)
peaks = [p["peak_working_set_bytes"] for p in grow]
assert all(peak >= mb << 20 for peak, mb in zip(peaks, (24, 72, 48))), peaks
assert peaks[0] < peaks[2] < peaks[1], peaks
tree, listed = d["peak_working_set_bytes"], sum(p["peak_working_set_bytes"] or 0 for p in d["process_list"])
assert 0.9 * sum(peaks) <= tree <= 1.1 * listed, (tree, sum(peaks), listed)
times = sum(p["processor_time_ms"] or 0 for p in d["process_list"])
assert abs(times - d["processor_time_ms"]) <= 0.05 * d["processor_time_ms"] + 20, (times, d["processor_time_ms"])
CHECK
    ;;
log)
    brenkrun --quiet --interval 100 --log run.csv --json log.json "$(program burn_user.exe)" 800
    tr -d '\r' <run.csv >log.txt
    [ "$(sed -n 1p log.txt)" = "Time,Milliseconds,CPU Current,CPU Minimum,CPU Maximum,RAM Current,RAM Minimum,RAM Maximum" ] ||
        fail "header: $(sed -n 1p log.txt)"
    sed -n 2p log.txt | grep -q '^# Program : .*burn_user.exe.* 800$' || fail "$(sed -n 2p log.txt)"
    rows=$(grep -Ec '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2},[0-9]+(,[0-9]+){6}$' log.txt)
    [ "$rows" -eq "$(key passes log.json)" ] && [ "$rows" -ge 5 ] ||
        fail "$rows rows for $(key passes log.json) passes"
    tail -n 1 log.txt | grep -q '^# Run time : [0-9]* ms, Processor time : [0-9]* ms, Exit code : 0, .*, Page faults : [1-9]' ||
        fail "last line: $(tail -n 1 log.txt)"
    ;;
pid)
    # A number no process has is a program not found (127); one that may not
    # be opened says "access denied" (126), which Wine never does.
    status=0; brenkrun --pid 4000000 2>missing.txt || status=$?
    [ $status -eq 127 ] || fail "no such process gave $status: $(cat missing.txt)"
    # The sleeper reads its input until the writer, a waiting subshell of its
    # own, ends; nothing else holds the input open.
    mkfifo input
    "$WINE_RUN" "$(program copy_input.exe)" pid <input >pid.txt &
    (while [ ! -e close ]; do sleep 0.01; done) >input &
    tries=0
    until [ -s pid.txt ]; do
        tries=$((tries + 1)); [ $tries -le 500 ] || fail "the sleeper did not start"; sleep 0.01
    done
    brenkrun --pid "$(tr -d '\r\n' <pid.txt)" --interval 1000 --json watch.json 2>report.txt &
    watcher=$!
    sleep 2
    # The sleeper ends as soon as its input does: Wine may tell its end
    # before the Linux process is gone, so the end is timed from the cause.
    [ ! -e watch.json ] || fail "brenkrun reported while the sleeper ran: $(cat watch.json)"
    touch close
    closed=$(now_ms)
    reported=""; tries=0
    while [ -z "$reported" ]; do
        tries=$((tries + 1)); [ $tries -le 1000 ] || fail "brenkrun did not report"
        [ "$(tail -c 2 watch.json 2>/dev/null)" != "}" ] || reported=$(now_ms)
        sleep 0.005
    done
    wait $watcher || fail "brenkrun's status: $? $(cat report.txt)"
    [ $((reported - closed)) -le 300 ] || fail "the report came $((reported - closed)) ms after the end"
    [ "$(key exit_code watch.json)" = 0 ] && [ "$(key passes watch.json)" -ge 1 ] ||
        fail "$(cat watch.json)"
    ;;
plot)
    brenkrun --quiet --interval 100 --plot graph.png --plot-size 640x320 "$(program burn_user.exe)" 600
    bytes() { od -An -tx1 -j "$1" -N "$2" graph.png | tr -d ' \n'; }
    [ "$(bytes 0 8)" = 89504e470d0a1a0a ] || fail "not a PNG: $(bytes 0 8)"
    # IHDR: width and height, 4 bytes each, most significant first.
    [ "$(bytes 16 8)" = 0000028000000140 ] || fail "not 640 x 320: $(bytes 16 8)"
    status=0; brenkrun --quiet --plot no/such/folder.png "$(program exit_code.exe)" 3 2>unwritten.txt || status=$?
    [ $status -eq 3 ] && [ "$(wc -l <unwritten.txt)" -eq 1 ] || fail "$status: $(cat unwritten.txt)"
    # A graph the file system refuses past a few KB: the file of that name
    # stays as it was, and nothing is left beside it.
    cp graph.png kept.png
    status=0; (ulimit -f 8; trap '' XFSZ
        brenkrun --quiet --plot graph.png --plot-size 2400x1600 "$(program burn_user.exe)" 300
    ) 2>refused.txt || status=$?
    [ $status -eq 0 ] && grep -q "could not be written" refused.txt && cmp -s graph.png kept.png &&
        [ "$(ls -A | wc -l)" -eq 4 ] || fail "$status: $(cat refused.txt; ls -A)"
    ;;
runs) # the benchmark: commands in turns, each prepared, and two compared
    brenkrun --runs 3 --warmup 1 --quiet --prepare "cmd /c echo P>>order.txt" --compare \
        "cmd /c echo A>>order.txt" "cmd /c echo B>>order.txt"
    [ "$(tr -d ' \r\n' <order.txt)" = PAPBPAPBPAPBPAPB ] || fail "the order of the runs: $(cat order.txt)"
    # Passes every 100 ms catch each peak under Wine, which forgets it at the end.
    grow="\"$(program grow_memory.exe)\""
    brenkrun --runs 5 --warmup 1 --interval 100 --json r.json --compare "$grow 64 600" "$grow 128 600" \
        2>report.txt
    # One line a figure of a command: every mean between its smallest and
    # largest; the runs counted, the peaks' means and the relative peak kept.
    awk -F'[ :,{}"]+' '
        $2 == "command" { command++ }
        $2 == "run_time_ms" && $3 != "mean" { runs[command]++ }
        $3 == "mean" && $4 != "null" {
            if ($4 < $10 || $4 > $12) print "mean outside its range: " $0
            if ($2 == "peak_working_set_bytes") peak[command] = $4
        }
        $2 == "relative" { relative = $8 }
        END { print "runs " runs[1] " " runs[2]; print "more " peak[2] - peak[1]; print "relative " relative }
    ' r.json >stats.txt
    [ "$(sed -n 1p stats.txt)" = "runs 5 5" ] || fail "$(cat stats.txt)"
    awk '/^more / { exit !($2 > 56 * 1048576 && $2 < 72 * 1048576) }
         /^relative / { exit !($2 >= 1.3 && $2 <= 2.5) }' stats.txt || fail "$(cat stats.txt)"
    grep -q '^Peak working set   : ' report.txt && grep -q '^Compared with the first command' report.txt ||
        fail "$(cat report.txt)"
    ;;
runs_console) # the benchmark from a console: its failures, output, progress line and faults
    printf '@if exist two (exit 7)\r\n@if exist one (echo.>two) else (echo.>one)\r\n' >third.bat
    status=0; brenkrun --runs 5 --json stopped.json cmd /c third.bat 2>stopped.txt || status=$?
    [ $status -eq 7 ] && [ "$(grep -c '^          "exit_code": ' stopped.json)" -eq 3 ] &&
        grep -q '^          "exit_code": 7,' stopped.json && grep -q 'run 3 of 5 exited with 7' stopped.txt ||
        fail "the failing third run gave $status: $(cat stopped.txt)"
    status=0; brenkrun --runs 2 --prepare "\"$(program exit_code.exe)\" 4" cmd /c echo 2>prepared.txt ||
        status=$?
    [ $status -eq 4 ] && grep -q 'run 1 of 2: the prepare command exited with 4' prepared.txt ||
        fail "a failing prepare command gave $status: $(cat prepared.txt)"
    brenkrun --runs 2 --quiet --show-output cmd /c echo shown >shown.txt
    brenkrun --runs 2 --quiet cmd /c echo hidden >hidden.txt
    echo input >input.txt
    brenkrun --runs 2 --quiet --show-output "$(program copy_input.exe)" <input.txt >copied.txt
    [ "$(grep -c '^shown' shown.txt)" -eq 2 ] && [ ! -s hidden.txt ] && [ ! -s copied.txt ] ||
        fail "output: $(cat shown.txt hidden.txt copied.txt)"
    # A terminal is a console to Wine; a file is not.
    W="$WINE_RUN" B="$BRENKRUN" P="$(program exit_code.exe)" script -qec '"$W" "$B" --runs 3 "$P" 0' \
        console.txt </dev/null >/dev/null
    grep -q 'exit_code.exe 0: run 2/3' console.txt || fail "no progress line: $(cat console.txt)"
    brenkrun --runs 3 "$(program exit_code.exe)" 0 2>redirected.txt
    ! grep -q 'run [0-9]/3' redirected.txt && grep -q '^Runs  *: 3' redirected.txt ||
        fail "$(cat redirected.txt)"
    for bad in "--pid 1" "--plot g.png" "--log l.csv"; do
        status=0; brenkrun --runs 2 $bad "$(program exit_code.exe)" 2>/dev/null || status=$?
        [ $status -eq 125 ] || fail "--runs with $bad gave $status"
    done
    ;;
reports) # a report every time, each in a file of its own, written whole or not at all
    # A JSON file's values, as Python's JSON reader gives them.
    json() { python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' "$@"; }
    status=0; brenkrun --json missing.json no_such_program_here.exe 2>/dev/null || status=$?
    [ $status -eq 127 ] && [ "$(json missing.json '[d["exit_code"], d["error"], d["processes"]]')" = \
        "[None, {'code': None, 'message': 'not found', 'program_bits': None}, 0]" ] ||
        fail "a missing program gave $status: $(cat missing.json)"
    # A test program whose header says x86: a bad image to any system, and a 32-bit one by its header.
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); at = int.from_bytes(d[60:64], "little")
d[at + 4:at + 6] = b"\x4c\x01"; open("x86.exe", "wb").write(d)' "$PROGRAMS/exit_code.exe"
    status=0; brenkrun --json - x86.exe 2>x86.txt || status=$?
    sed -n '/^{/,$p' x86.txt >x86.json
    [ $status -eq 126 ] && [ "$(json x86.json '[d["exit_code"], d["error"]["program_bits"], d["passes"]]')" = \
        "[None, 32, 0]" ] && grep -qF "$(json x86.json 'd["error"]["message"]')" x86.txt &&
        grep -q "(error $(json x86.json 'd["error"]["code"]'): .*; a 32-bit program)" x86.txt ||
        fail "a 32-bit program gave $status: $(cat x86.txt)"
    status=0; brenkrun --runs 2 --json runs.json --compare "\"$(program exit_code.exe)\" 0" x86.exe \
        2>/dev/null || status=$?
    [ $status -eq 126 ] && [ "$(json runs.json '[len(c["runs"]) for c in d["commands"]] + [d["error"]["command"]]')" = \
        "[1, 0, 'x86.exe']" ] || fail "the runs gave $status: $(cat runs.json)"
    status=0; brenkrun --json r.json --plot ./R.JSON "$(program write_args.exe)" started.txt 2>clash.txt ||
        status=$?
    [ $status -eq 125 ] && [ ! -e started.txt ] && grep -q -- '--json and --plot name one file' clash.txt ||
        fail "one file for two outputs gave $status: $(cat clash.txt)"
    # The text marks a peak a rise after the last pass escapes, as the JSON does.
    brenkrun --interval 100 --json peak.json "$(program grow_memory.exe)" 8 400 2>peak.txt
    [ "$(json peak.json 'd["peak_covers_whole_run"]')" = True ] ||
        grep -q '^Peak working set   : [0-9,]* Bytes (at the last pass, may be low)' peak.txt ||
        fail "$(cat peak.txt)"
    # A file past its size limit, as on a full disk: the old report stays as it was.
    long=$(printf "%01200d" 0)
    echo '{"old": 1}' >kept.json
    (trap '' XFSZ && ulimit -f 1 && brenkrun --quiet --json kept.json "$(program exit_code.exe)" 0 $long) \
        2>kept.txt
    [ "$(cat kept.json)" = '{"old": 1}' ] && grep -q 'could not be written to kept.json' kept.txt ||
        fail "a report that did not fit: $(cat kept.json kept.txt)"
    brenkrun --quiet --json kept.json "$(program exit_code.exe)" 0 $long
    [ "$(json kept.json 'len(d["arguments"][1])')" = 1200 ] && [ "$(ls | grep -c '^kept\.json')" -eq 1 ] ||
        fail "after a whole write: $(ls)"
    ;;
*) fail "no scenario $SCENARIO" ;;
esac
echo "OK $SCENARIO"
