#!/usr/bin/env bash
# Settings files through the real program: the last file named in the ini file
# opens at start, an edit marks the title, SAVE writes the stored form through
# the real file dialog, and closing with "No" leaves the saved file as it was.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

documents="$E2E_HOME/Documents"
mkdir -p "$documents"
live="$documents/live.syx"
e2e_settings_image >"$live"
[ "$(stat -c %s "$live")" = 690 ] || e2e_fail "the test's settings file is not 690 bytes"
e2e_remember_file "$live"

e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - live.syx"
e2e_wait_started "$wid"

# Prints how many visible windows the program has (its window, plus a popup list).
visible_windows() {
    { xdotool search --onlyvisible --pid "$E2E_PID" 2>/dev/null || true; } | wc -l
}

# Waits until the program shows that many visible windows, nudging it meanwhile.
wait_visible_windows() {
    local deadline=$((SECONDS + E2E_TIMEOUT))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(visible_windows)" -eq "$1" ] && return 0
        e2e_nudge "$E2E_PID"
        sleep 0.1
    done
    e2e_fail "expected $1 visible windows of the program, found $(visible_windows)"
}

# Picks the next loop portamento rate: a click opens the box's list, Escape
# closes it and leaves the box focused, the down arrow picks the next rate.
# Each step waits for the list to show or go, and the arrow for the box's focus
# frame, so a slow build sees them in order.
next_loop_rate() {
    local before
    before=$(visible_windows)
    e2e_click "$1" 380 542
    wait_visible_windows $((before + 1))
    xdotool key Escape
    wait_visible_windows "$before"
    e2e_wait_focus "$1" 283 535
    e2e_key "$1" Down
}

next_loop_rate "$wid"
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - live.syx *"
e2e_screenshot edited-program

# SAVE: the real file dialog, answered with the keyboard.
e2e_save_as "$wid" saved save-dialog
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - saved.syx"

# The loop portamento rate (byte 685) went from fast (0x11) to medium (0x19).
expected="$E2E_TMP/expected.syx"
cp "$live" "$expected"
printf '\x19' | dd of="$expected" bs=1 seek=685 conv=notrunc status=none
cmp "$expected" "$documents/saved.syx" || e2e_fail "saved.syx is not the edited settings image"
cmp <(e2e_settings_image) "$live" || e2e_fail "live.syx changed"

# A second edit, then close and answer "No": nothing more is written.
next_loop_rate "$wid"
e2e_wait_title "$wid" "Dravik MIDI T - v2.0 - saved.syx *"
e2e_close_window "$wid"
confirm=$(e2e_wait_window_named "^Confirm$")
e2e_screenshot unsaved-changes-question
e2e_answer_no "$confirm"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after closing"
cmp "$expected" "$documents/saved.syx" || e2e_fail "saved.syx changed after answering No"
e2e_assert_eq "$documents/saved.syx" "$(e2e_ini_value Current File)" "the last file in the ini file"
