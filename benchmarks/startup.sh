#!/usr/bin/env bash
# Start-up, close and idle cost of the editor against a bare JUCE window
# application (bare_window_app.cpp) with the same modules, window size and
# number of combo boxes, on one Xvfb server:
#
#     startup.sh PROGRAM X11_HELPER ARTEFACT_DIR BARE_APP PROBE [RUNS [IDLE_SECONDS]]
#
# Each program is started once to warm the caches, then both are started and
# closed RUNS times in turn (default 20, 0 skips this), each with a HOME of its
# own that outlives the runs, as a user's does. Prints the medians of the time
# to the window mapped, the time to exit after a close request and the peak RSS,
# with the editor's ratios to the bare application and the CPU time of both
# spans; then the CPU seconds each uses over the same IDLE_SECONDS (default 30,
# 0 skips it) with nothing happening, in all and by thread, with the thread's
# wake-ups. The editor has the virtual MIDI back-end with one port, chosen in
# its ini file, which it opens at every start; the pointer rests in a corner of
# the screen, away from both windows. The editor's close includes flushing its
# ini file to the disk that holds TMPDIR (the homes live there); TMPDIR=/dev/shm
# leaves the disk out. Run it under `flock /tmp/dravik-e2e.lock`: the editor's
# single-instance lock is machine-wide. scripts/bench builds everything and
# runs it so.
source "$(dirname "$0")/../tests/e2e/lib.sh"

# The editor's combo boxes: the MIDI port, the program's five, 16 steps and
# four global values.
COMBO_BOXES=26
SETTLE_MS=500           # after the window is mapped, before the close request
IDLE_SETTLE_MS=3000     # before idle time is counted: start-up work is over
PORT="Dravik Box"

bare_app=$4
probe=$5
runs=${6:-20}
idle_seconds=${7:-30}
e2e_init "$1" "$2" "$3"
read -r width height < <(e2e_background_size)

# Two homes, one per program, kept for all of its runs; the editor's ini file
# has the port chosen in the MIDI output box, as the editor writes it.
e2e_fresh_home
editor_home=$E2E_HOME
ini=$(e2e_ini_file)
mkdir -p "$(dirname "$ini")"
printf '[MIDI.out]\nName0=%s\nOptions0=FF4944494D\n[MIDI.alias]\nName0=MIDI Output Device\nDevice0=2:%s\n' \
    "$PORT" "$PORT" >"$ini"
e2e_fresh_home
bare_home=$E2E_HOME
export DRAVIK_VIRTUAL_MIDI_PORTS=$PORT
xdotool mousemove 0 0

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
    local lines
    lines=$(HOME="$home" "$probe" "$2" "$3" "${command[@]}" 2>>"$E2E_OUT/probe.log") ||
        e2e_fail "$name: the measurement failed (see probe.log)"
    sed "s/^/$name /" <<<"$lines" >>"$E2E_OUT/results.txt"
}

# The editor's ini file, which it writes at every close, still names the port
# as chosen, and its device alias shows that the port was present.
check_port_chosen() {
    local ini
    ini=$(E2E_HOME=$editor_home e2e_ini_file)
    grep -qx "Name0=$PORT" "$ini" && grep -qx "Device1=2:$PORT" "$ini" ||
        e2e_fail "the editor did not keep the port $PORT chosen (see $ini)"
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

# threads NAME SECONDS: the idle table of the program's threads.
threads() {
    grep "^$1 thread=" "$E2E_OUT/results.txt" | awk -v who="$1" -v seconds="$2" '{
        for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        printf "  %-6s %-18s %10.4f s %8d %9.1f\n", who, v["thread"], v["thread_cpu_s"], v["thread_wakeups"],
            v["thread_wakeups"] / seconds
    }'
}

echo "load average: $(cut -d ' ' -f 1-3 /proc/loadavg) on $(nproc) processors (times stretch on a busy machine)"
if [ "$runs" -gt 0 ]; then
    echo "warming up: one unmeasured start of each program"
    measure editor "$SETTLE_MS" 0
    measure bare "$SETTLE_MS" 0
    : >"$E2E_OUT/results.txt"
    for ((i = 1; i <= runs; i++)); do
        echo "run $i of $runs"
        measure editor "$SETTLE_MS" 0
        measure bare "$SETTLE_MS" 0
    done
    check_port_chosen

    echo
    echo "Start and close: medians of $runs runs each, window ${width}x$height, $COMBO_BOXES combo boxes"
    printf "%-22s %14s %14s %7s   %s\n" "" "editor" "bare JUCE" "ratio" "goal (ratio)"
    row "window mapped" map_ms 1 ms 1.15
    row "exit after close" close_ms 1 ms 1.15
    row "peak RSS" peak_rss_kb 1024 MB 1.2
    row "  CPU until mapped" map_cpu_ms 1 ms
    row "  CPU close to exit" close_cpu_ms 1 ms
fi

# Both idle at once, so that the machine's load falls on both alike.
if [ "$idle_seconds" -gt 0 ]; then
    : >"$E2E_OUT/results.txt"
    measure editor "$IDLE_SETTLE_MS" "$idle_seconds" &
    editor_idle=$!
    measure bare "$IDLE_SETTLE_MS" "$idle_seconds" &
    wait "$editor_idle" && wait $! || e2e_fail "the idle measurement failed"
    check_port_chosen
    editor=$(median editor idle_cpu_s)
    bare=$(median bare idle_cpu_s)
    echo
    echo "Idle: CPU seconds over ${idle_seconds}s with nothing happening (the editor's port chosen, the pointer"
    echo "away from both windows); goal: under 0.05 s, for the editor and for what it uses beyond the bare window"
    printf "%-22s %14s %14s %14s\n" "" "editor" "bare JUCE" "editor - bare"
    awk -v e="$editor" -v b="$bare" 'BEGIN {
        printf "%-22s %12.4f s %12.4f s %12.4f s\n", "process", e, b, e - b
        printf "%-22s %14s %14s %14s\n", "goal 0.05 s", e < 0.05 ? "under" : "OVER", "", e - b < 0.05 ? "under" : "OVER"
    }'
    echo
    printf "  %-6s %-18s %12s %8s %9s\n" "" "thread" "CPU" "wake-ups" "per s"
    threads editor "$idle_seconds"
    threads bare "$idle_seconds"
    echo "(JUCE 7 on Linux runs a timer at the display's refresh rate for each window, 100 Hz where the"
    echo " display tells none, as Xvfb does: its \"JUCE Timer\" thread wakes about four times a tick and"
    echo " wakes the main thread once, even with nothing to repaint)"
fi
