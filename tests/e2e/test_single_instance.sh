#!/usr/bin/env bash
# A second start while the program runs ends without a second window, and the
# first one stays.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

e2e_start
first=$E2E_PID
wid=$(e2e_find_window "$first")

e2e_start
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the second start"
e2e_assert_eq 1 "$(e2e_count_windows '^Dravik MIDI T')" "windows after the second start"
kill -0 "$first" 2>/dev/null || e2e_fail "the first instance ended"
e2e_screenshot after-second-start

e2e_close_window "$wid"
e2e_wait_exit "$first"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the first instance"
