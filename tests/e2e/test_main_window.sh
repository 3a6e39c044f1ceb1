#!/usr/bin/env bash
# The main window: titled "Dravik MIDI T", exactly the background image's size,
# only the minimise and close buttons, not resizable; closing it ends the program.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

read -r image_width image_height < <(e2e_background_size)

e2e_start
wid=$(e2e_find_window "$E2E_PID")
e2e_wait_size "$wid" "$image_width" "$image_height"
e2e_screenshot main-window

title=$(e2e_window_title "$wid")
case "$title" in
    "Dravik MIDI T"*) ;;
    *) e2e_fail "window title '$title' does not begin with 'Dravik MIDI T'" ;;
esac

actions=$(e2e_allowed_actions "$wid" | sort | tr '\n' ' ')
e2e_assert_eq "_NET_WM_ACTION_CLOSE _NET_WM_ACTION_MINIMIZE " "$actions" "allowed window actions"

e2e_close_window "$wid"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after closing"
e2e_assert_eq 0 "$(e2e_count_windows '^Dravik MIDI T')" "windows left after closing"
