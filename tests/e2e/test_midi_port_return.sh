#!/usr/bin/env bash
# A port chosen just after it was unplugged, while the box still lists it, says
# that it is not plugged in and is taken up when it returns: the box shows it,
# SEND writes the document to it, and the ini file keeps it to be opened.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_midi_setup "Dravik Box"

e2e_live_document
none="$E2E_TMP/port-none.png"
chosen="$E2E_TMP/port-chosen.png"

# How the box shows the port when chosen; then "(none)" again.
e2e_start_unchosen "$none"
e2e_key "$wid" Tab Down
e2e_wait_port_box_change "$wid" "$none" "$chosen"
e2e_wait_send_state "$wid" ready
e2e_key "$wid" Up
e2e_wait_send_state "$wid" off
e2e_wait_port_box "$wid" "$none"

# Unplugged while the program has not yet heard of it, so the box still lists it.
e2e_midi_control "hold-changes"
e2e_midi_control "remove Dravik Box"
e2e_key "$wid" Down
error_box=$(e2e_wait_window_named "^Error$")
e2e_screenshot port-chosen-after-unplug
e2e_key "$error_box" Return
e2e_wait_no_window "^Error$"
e2e_midi_control "release-changes"
e2e_wait_port_box "$wid" "$none"
e2e_wait_send_state "$wid" off

e2e_replug_send_and_close "$wid" "Dravik Box" "$chosen"
e2e_assert_eq "Dravik Box" "$(e2e_ini_value MIDI.out Name0)" "the port to open at the next start"
