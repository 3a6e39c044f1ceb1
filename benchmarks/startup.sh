#!/usr/bin/env bash
# Start-up, close and idle cost of the editor against a bare JUCE window
# application (bare_window_app.cpp) with the same modules, window size and
# number of combo boxes, on one Xvfb server:
#
#     startup.sh PROGRAM X11_HELPER ARTEFACT_DIR BARE_APP PROBE [RUNS [IDLE_SECONDS]]
#
# Each program is started once to warm the caches, then both are started and
# closed RUNS times in turn (default 20), each with a HOME of its own that
# outlives the runs, as a user's does. Prints the medians of the time to the
# window mapped, the time to exit after a close request and the peak RSS, with
# the editor's ratios to the bare application and the CPU time of both spans;
# then the CPU seconds each uses over IDLE_SECONDS (default 30, 0 skips it)
# with nothing happening. The editor's close includes flushing its ini file to
# the disk that holds TMPDIR (the homes live there); TMPDIR=/dev/shm leaves the
# disk out. Run it under `flock /tmp/dravik-e2e.lock`: the editor's
# single-instance lock is machine-wide. scripts/bench builds everything and
# runs it so.
source "$(dirname "$0")/../tests/e2e/lib.sh"

# The editor's combo boxes: the program's five, 16 steps and four global values.
COMBO_BOXES=25
SETTLE_MS=500           # after the window is mapped, before the close request
IDLE_SETTLE_MS=3000     # before idle time is counted: start-up work is over

bare_app=$4
probe=$5
runs=${6:-20}
idle_seconds=${7:-30}
e2e_init "$1" "$2" "$3"
read -r width height < <(e2e_background_size)

# Two homes, one per program, kept for all of its runs.
e2e_fresh_home
editor_home=$E2E_HOME
e2e_fresh_home
bare_home=$E2E_HOME

# measure NAME SETTLE_MS IDLE_SECONDS: one start and close of the program,
# appending the probe's line, prefixed with NAME, to results.txt.
measure() {
    local name=$1 home command
    if [ "$name" = editor ]; then
        home=$editor_home
        command=("$E2E_PROGRAM")
    else
        home=$bare_home
        command=("$bare_app" "$width" "$height" "$COMBO_BOXES")
    fi
    local line
    line=$(HOME="$home" "$probe" "$2" "$3" "${command[@]}" 2>>"$E2E_OUT/probe.log") ||
        e2e_fail "$name: the measurement failed (see probe.log)"
    echo "$name $line" >>"$E2E_OUT/results.txt"
}

# median NAME FIELD: the median of the field (map_ms, close_ms, ...) over the
# measured runs of the program.
median() {
    grep "^$1 " "$E2E_OUT/results.txt" | tr ' ' '\n' | sed -n "s/^$2=//p" | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# row WHAT FIELD SCALE UNIT [GOAL]: one line of the table, the values divided by
# SCALE, with the verdict on the ratio when there is a goal.
row() {
    local editor bare
    editor=$(median editor "$2")
    bare=$(median bare "$2")
    awk -v what="$1" -v e="$editor" -v b="$bare" -v scale="$3" -v unit="$4" -v goal="${5:-}" 'BEGIN {
        ratio = b > 0 ? e / b : 0
        verdict = goal == "" ? "" : (ratio <= goal ? "within " : "OVER ") goal
        printf "%-22s %10.1f %-3s %10.1f %-3s %7.2f   %s\n", what, e / scale, unit, b / scale, unit, ratio, verdict
    }'
}

echo "load average: $(cut -d ' ' -f 1-3 /proc/loadavg) on $(nproc) processors (times stretch on a busy machine)"
echo "warming up: one unmeasured start of each program"
measure editor "$SETTLE_MS" 0
measure bare "$SETTLE_MS" 0
: >"$E2E_OUT/results.txt"
for ((i = 1; i <= runs; i++)); do
    echo "run $i of $runs"
    measure editor "$SETTLE_MS" 0
    measure bare "$SETTLE_MS" 0
done

echo
echo "Start and close: medians of $runs runs each, window ${width}x$height, $COMBO_BOXES combo boxes"
printf "%-22s %14s %14s %7s   %s\n" "" "editor" "bare JUCE" "ratio" "goal (ratio)"
row "window mapped" map_ms 1 ms 1.15
row "exit after close" close_ms 1 ms 1.15
row "peak RSS" peak_rss_kb 1024 MB 1.2
row "  CPU until mapped" map_cpu_ms 1 ms
row "  CPU close to exit" close_cpu_ms 1 ms

if [ "$idle_seconds" -gt 0 ]; then
    : >"$E2E_OUT/results.txt"
    measure editor "$IDLE_SETTLE_MS" "$idle_seconds"
    measure bare "$IDLE_SETTLE_MS" "$idle_seconds"
    echo
    echo "Idle: CPU seconds over ${idle_seconds}s with nothing happening (goal for the editor: under 0.05 s)"
    printf "%-22s %14s %14s\n" "" "editor" "bare JUCE"
    printf "%-22s %12.4f s %12.4f s\n" "" "$(median editor idle_cpu_s)" "$(median bare idle_cpu_s)"
    echo "(a JUCE 7 window looks for pending repaints on a timer at the display's refresh rate, 100 Hz"
    echo " where the display tells none, as Xvfb does: the bare window's figure is mostly that timer)"
fi
