#!/usr/bin/env bash
# The port box follows the user and the ports: "(none)" turns SEND off, the
# chosen port is chosen again at the next start, and a port unplugged and
# plugged in again goes to "(none)" and comes back chosen, with SEND writing
# the document's exact bytes to it once more. A chosen port whose name a twin
# of another device takes while it is unplugged is waited for: SEND sends
# nothing to the twin, and the port is chosen again when it returns.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_midi_setup "Other Port;Dravik Box"

e2e_live_document
none="$E2E_TMP/port-none.png"
other="$E2E_TMP/port-other.png"
chosen="$E2E_TMP/port-chosen.png"

# The box lists the ports after "(none)" in the back-end's order. One key at a
# time: SEND is ready with either port, so only the box tells the second apart.
e2e_start_unchosen "$none"
e2e_key "$wid" Tab Down
e2e_wait_port_box_change "$wid" "$none" "$other"
e2e_key "$wid" Down
e2e_wait_port_box_change "$wid" "$other" "$chosen"
e2e_wait_send_state "$wid" ready
e2e_key "$wid" Up Up
e2e_wait_send_state "$wid" off
e2e_wait_port_box "$wid" "$none"
e2e_key "$wid" Down Down
e2e_wait_send_state "$wid" ready
e2e_wait_port_box "$wid" "$chosen"
e2e_close_window "$wid"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq "2:Dravik Box" "$(e2e_ini_value MIDI.alias Device0)" "the port the alias names"

# The next start opens the same port and shows it, with SEND ready.
e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_started "$wid"
e2e_wait_port_box "$wid" "$chosen"
e2e_wait_send_state "$wid" ready

# Unplugged: "(none)" and SEND off. Plugged in again: chosen, and SEND works.
e2e_midi_control "remove Dravik Box"
e2e_wait_port_box "$wid" "$none"
e2e_wait_send_state "$wid" off
e2e_screenshot port-unplugged
e2e_replug_send_and_close "$wid" "Dravik Box" "$chosen"

# Two identical devices beside a third named as a twin would be: the box lists
# "Synth 1", "Synth 3" and "Synth 2". One key at a time, each waited for.
e2e_fresh_home
e2e_live_document
e2e_midi_setup "Synth;Synth;Synth 2"
# Off the window: resting where SEND was clicked, the pointer's tooltip covers SEND.
xdotool mousemove 0 0
e2e_start_unchosen "$none"
e2e_key "$wid" Tab Down
e2e_wait_port_box_change "$wid" "$none" "$E2E_TMP/port-synth-1.png"
e2e_key "$wid" Down
e2e_wait_port_box_change "$wid" "$E2E_TMP/port-synth-1.png" "$E2E_TMP/port-synth-3.png"
e2e_key "$wid" Down
e2e_wait_port_box_change "$wid" "$E2E_TMP/port-synth-3.png" "$chosen"
e2e_wait_send_state "$wid" ready

# The chosen "Synth 2" unplugged: the second twin is listed as "Synth 2" now,
# but the box shows "(none)" and SEND is off; nothing went to any port.
e2e_midi_control "remove Synth 2"
e2e_wait_port_box "$wid" "$none"
e2e_wait_send_state "$wid" off
e2e_assert_eq 0 "$(e2e_midi_packets)" "packets sent while the chosen port was away"
e2e_replug_send_and_close "$wid" "Synth 2" "$chosen"
