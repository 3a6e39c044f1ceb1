#!/usr/bin/env bash
# SIGTERM (the session ending) and Ctrl+C in the terminal (SIGINT) take the close
# button's path: without changes the program ends as after a close, writing its
# ini file; with changes it asks first. While the question is up, a further
# close request is ignored.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_title "$wid" "Dravik MIDI T - v2.0"
kill -TERM "$E2E_PID"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after SIGTERM"
[ -n "$(e2e_ini_value Current MainLeft)" ] || e2e_fail "no window position in the ini file after SIGTERM"

live="$E2E_HOME/Documents/live.syx"
mkdir -p "$(dirname "$live")"
e2e_settings_image >"$live"
e2e_remember_file "$live"
e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - live.syx"
e2e_wait_started "$wid"
# OPEN, the MIDI port box, SAVE, program, program type: Down picks the next
# program type.
e2e_wait_focus "$wid" $E2E_OPEN
e2e_key "$wid" Tab Tab Tab Tab Down
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - live.syx *"

kill -INT "$E2E_PID"
confirm=$(e2e_wait_window_named "^Confirm$")
e2e_screenshot question-after-sigint
e2e_close_window "$wid"
e2e_key "$confirm" Escape
e2e_wait_no_window "^Confirm$"
kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the program ended although the question was cancelled"
e2e_assert_eq "Dravik MIDI T - v2.0 - live.syx *" "$(e2e_window_title "$wid")" "title after Cancel"

kill -TERM "$E2E_PID"
e2e_answer_no "$(e2e_wait_window_named "^Confirm$")"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after SIGTERM and No"
cmp <(e2e_settings_image) "$live" || e2e_fail "live.syx changed"
e2e_assert_eq "$live" "$(e2e_ini_value Current File)" "the last file in the ini file"
