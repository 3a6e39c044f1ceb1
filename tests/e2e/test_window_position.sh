#!/usr/bin/env bash
# The window position lives in the per-user ini file: the first start centres
# the window, closing writes "MainLeft"/"MainTop", the next start puts the
# window there, and a position too far off the screen is moved onto its edge.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# Starts the program, checks where its window appears, closes it.
expect_window_at() { # X Y WHAT [MOVE_X MOVE_Y]
    local wid x y
    e2e_start
    wid=$(e2e_find_window "$E2E_PID")
    e2e_wait_size "$wid" "$width" "$height"
    read -r x y _ < <(e2e_window_geometry "$wid")
    e2e_assert_eq "$1 $2" "$x $y" "$3"
    if [ $# -eq 5 ]; then
        e2e_wait_started "$wid"
        e2e_move_window "$wid" "$4" "$5"
    fi
    e2e_close_window "$wid"
    e2e_wait_exit "$E2E_PID"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status"
}

read -r width height < <(e2e_background_size)
ini=$(e2e_ini_file)
[ ! -e "$ini" ] || e2e_fail "the fresh HOME already holds $ini"

expect_window_at $((E2E_SCREEN_WIDTH / 2 - width / 2)) $((E2E_SCREEN_HEIGHT / 2 - height / 2)) \
    "first start: centred" 123 77
e2e_assert_eq 123 "$(e2e_ini_value Current MainLeft)" "MainLeft written at close"
e2e_assert_eq 77 "$(e2e_ini_value Current MainTop)" "MainTop written at close"

expect_window_at 123 77 "restart: the stored position"

# More than a third of the window beyond the left and bottom edges.
sed -i -e 's/^MainLeft=.*/MainLeft=-400/' -e 's/^MainTop=.*/MainTop=5000/' "$ini"
expect_window_at 0 $((E2E_SCREEN_HEIGHT - height)) "stored position off the screen"
e2e_assert_eq 0 "$(e2e_ini_value Current MainLeft)" "MainLeft after the correction"
cp "$ini" "$E2E_OUT/"
