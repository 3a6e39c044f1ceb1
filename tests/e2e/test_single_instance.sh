#!/usr/bin/env bash
# One editor per user: a second start by the same user, whatever HOME says,
# ends without a second window and leaves the first one; another user gets an
# editor of their own, and also just one.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

e2e_start
first=$E2E_PID
wid=$(e2e_find_window "$first")

for home in same fresh; do
    [ "$home" = same ] || e2e_fresh_home
    e2e_start
    e2e_wait_exit "$E2E_PID"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status of the second start ($home HOME)"
    e2e_assert_eq 1 "$(e2e_count_windows '^Dravik MIDI T')" "windows after the second start ($home HOME)"
done
kill -0 "$first" 2>/dev/null || e2e_fail "the first instance ended"
e2e_screenshot after-second-start

# The lock of the user who started first must not decide for another user:
# that user gets one editor, and no second one either.
if [ "$(id -u)" -eq 0 ]; then
    e2e_start_as nobody
    other=$E2E_PID
    other_wid=$(e2e_find_window "$other")
    e2e_assert_eq 2 "$(e2e_count_windows '^Dravik MIDI T')" "windows after another user's start"
    e2e_start_as nobody
    e2e_wait_exit "$E2E_PID"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status of the other user's second start"
    e2e_assert_eq 2 "$(e2e_count_windows '^Dravik MIDI T')" "windows after the other user's second start"
    e2e_close_window "$other_wid"
    e2e_wait_exit "$other"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status of the other user's editor"
else
    echo "another user's start: skipped, it needs root to start a program as another user"
fi

e2e_close_window "$wid"
e2e_wait_exit "$first"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the first instance"
