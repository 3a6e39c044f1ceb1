#!/usr/bin/env bash
# Keyboard use from the start: when the window gains the focus, its first
# control (OPEN) has it, and Tab moves on from control to control.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_title "$wid" "Dravik MIDI T - v2.0"
e2e_wait_started "$wid"

e2e_wait_focus "$wid" $E2E_OPEN
e2e_key "$wid" Return
dialog=$(e2e_wait_window_named "^Open a Dravik MIDI T File$")
e2e_key "$dialog" Escape
e2e_wait_no_window "^Open a Dravik MIDI T File$"
# Back on OPEN once the dialog has gone.
e2e_wait_focus "$wid" $E2E_OPEN

# OPEN, the MIDI port box, SAVE (SEND is off without a MIDI output), program,
# program type: Down picks the next program type.
e2e_key "$wid" Tab Tab Tab Tab Down
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 *"
e2e_screenshot focus-on-program-type

e2e_close_window "$wid"
e2e_answer_no "$(e2e_wait_window_named "^Confirm$")"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after closing"
