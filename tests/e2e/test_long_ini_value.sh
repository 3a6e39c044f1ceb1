#!/usr/bin/env bash
# A crafted ini file must not hold up the start: with a 16 MB remembered file
# name the window is up after seconds of processor time, names no file (a path
# that long names none and is forgotten, as one that does not load is) and
# closes on request. Processor time, not the clock: a loaded machine stretches
# the one, not the other.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

ini=$(e2e_ini_file)
mkdir -p "$(dirname "$ini")"
{
    printf '[Current]\nFile=/'
    head -c $((16 << 20)) /dev/zero | tr '\0' 'x'
    printf '\n'
} >"$ini"

e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_title "$wid" "Dravik MIDI T - v2.0"
e2e_wait_started "$wid"
cpu=$(e2e_cpu_seconds "$E2E_PID")
[ "$cpu" -le 10 ] || e2e_fail "the start took $cpu s of processor time"

e2e_close_window "$wid"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status"
e2e_assert_eq "" "$(e2e_ini_value Current File)" "the remembered file after closing"
