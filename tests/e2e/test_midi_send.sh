#!/usr/bin/env bash
# The main road: a port chosen with the keyboard, an edit saved, and SEND after
# "Yes" writes the saved file's exact 690 bytes to the port as one packet; SEND
# then waits about 6 s. "No" sends nothing, a refused send says so and leaves
# SEND usable, and closing during the wait ends the program at once and keeps
# the chosen port in the ini file.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_midi_setup "Dravik Box"

documents="$E2E_HOME/Documents"
e2e_live_document

e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - live.syx"
e2e_wait_started "$wid"
e2e_wait_send_state "$wid" off

# OPEN has the focus, the port box comes next: Down picks the first port.
e2e_wait_focus "$wid" $E2E_OPEN
e2e_key "$wid" Tab Down
e2e_wait_send_state "$wid" ready
e2e_screenshot port-chosen

# Port box, SAVE, SEND, program, program type: Down picks the next program type.
e2e_key "$wid" Tab Tab Tab Tab Down
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - live.syx *"
e2e_save_as "$wid" saved
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - saved.syx"
[ "$(stat -c %s "$documents/saved.syx")" = 690 ] || e2e_fail "saved.syx is not 690 bytes"
cmp -s <(e2e_settings_image) "$documents/saved.syx" && e2e_fail "saved.syx does not hold the edit"

# SEND, "Yes": exactly the saved bytes, in one packet; then the wait, which
# begins after the answer, so after sent_at.
e2e_click "$wid" 238 62
confirm=$(e2e_wait_window_named "^Confirm$")
sent_at=$(date +%s%N)
e2e_key "$confirm" Return
e2e_wait_midi_packets 1
e2e_assert_eq "$(e2e_hex "$documents/saved.syx")" "$(e2e_midi_packet 1)" "the packet sent"
xdotool mousemove --window "$wid" 5 5
e2e_wait_send_state "$wid" waiting
e2e_screenshot waiting-for-device
e2e_wait_send_state "$wid" ready
waited_ms=$((($(date +%s%N) - sent_at) / 1000000))
[ "$waited_ms" -ge 5000 ] || e2e_fail "SEND came back after $waited_ms ms, not about 6 s"

# "No" sends nothing. The refused send that follows is asked after the answer
# "No" was dealt with: by its error box, a packet of "No" would be in the log.
e2e_click "$wid" 238 62
e2e_answer_no "$(e2e_wait_window_named "^Confirm$")"
e2e_wait_no_window "^Confirm$"
e2e_midi_control "fail-send -10830"
e2e_click "$wid" 238 62
e2e_key "$(e2e_wait_window_named "^Confirm$")" Return
error=$(e2e_wait_window_named "^Error$")
e2e_screenshot send-refused
e2e_assert_eq 1 "$(e2e_midi_packets)" "packets after No and a refused send"
e2e_key "$error" Return
e2e_wait_no_window "^Error$"
e2e_wait_send_state "$wid" ready

# Closing during the wait: the program ends at once, before the wait would
# have ended, and keeps the port.
e2e_midi_control "ok-send"
e2e_click "$wid" 238 62
confirm=$(e2e_wait_window_named "^Confirm$")
sent_at=$(date +%s%N)
e2e_key "$confirm" Return
e2e_wait_midi_packets 2
e2e_wait_send_state "$wid" waiting
e2e_close_window "$wid"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after closing during the wait"
exit_ms=$((($(date +%s%N) - sent_at) / 1000000))
[ "$exit_ms" -lt 6000 ] || e2e_fail "the program ended $exit_ms ms after SEND, after its wait"
e2e_assert_eq "MIDI Output Device" "$(e2e_ini_value MIDI.alias Name0)" "the port box's alias"
e2e_assert_eq "2:Dravik Box" "$(e2e_ini_value MIDI.alias Device0)" "the port the alias names"
e2e_assert_eq "Dravik Box" "$(e2e_ini_value MIDI.out Name0)" "the output to open at the next start"
