#!/usr/bin/env bash
# One editor per user and runtime folder: a second start by the same user with
# the same runtime folder, whatever HOME says, ends without a second window and
# leaves the first one; a start with another runtime folder gets an editor of
# its own, and one whose runtime folder appears while it runs stays the only
# one. Another user gets an editor of their own, and also just one, even
# without a runtime folder and with a folder in /tmp that someone else made.
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

XDG_RUNTIME_DIR=$(mktemp -d "$E2E_TMP/run.XXXXXX") e2e_start
beside=$E2E_PID
beside_wid=$(e2e_find_window "$beside")
e2e_assert_eq 2 "$(e2e_count_windows '^Dravik MIDI T')" "windows after a start with another runtime folder"
e2e_close_window "$beside_wid"
e2e_wait_exit "$beside"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the editor with another runtime folder"

# A runtime folder that is missing at a start and made during its run (the
# toolkit's helpers make it) lets no second editor of that home in.
e2e_fresh_home
later="$E2E_TMP/run-later"
XDG_RUNTIME_DIR=$later e2e_start
early=$E2E_PID
early_wid=$(e2e_find_window "$early")
mkdir -p -m 0700 "$later"
XDG_RUNTIME_DIR=$later e2e_start
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of a start in the runtime folder made meanwhile"
e2e_assert_eq 2 "$(e2e_count_windows '^Dravik MIDI T')" "windows after a start in the runtime folder made meanwhile"
e2e_close_window "$early_wid"
e2e_wait_exit "$early"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the editor started without its runtime folder"

# start_twice_as WHAT: the other user's first start shows an editor beside the
# first one, the second ends without a window.
start_twice_as() {
    local other other_wid
    e2e_start_as
    other=$E2E_PID
    other_wid=$(e2e_find_window "$other")
    e2e_assert_eq 2 "$(e2e_count_windows '^Dravik MIDI T')" "windows after another user's start ($1)"
    e2e_start_as
    e2e_wait_exit "$E2E_PID"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status of the other user's second start ($1)"
    e2e_assert_eq 2 "$(e2e_count_windows '^Dravik MIDI T')" "windows after the other user's second start ($1)"
    e2e_close_window "$other_wid"
    e2e_wait_exit "$other"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status of the other user's editor ($1)"
}

# The lock of the user who started first must not decide for another user.
if e2e_other_user nobody; then
    start_twice_as "own runtime folder"
    # A user without a runtime folder keeps the lock in the home, where nobody
    # else can make its folder first, as anyone can in /tmp: a user id that has
    # neither, and a folder in /tmp made for it by root. Making that folder is
    # the test for a free id, so that runs side by side never pick the same.
    stranger=60999
    until ! getent passwd $stranger >/dev/null && [ ! -e /run/user/$stranger ] &&
        mkdir -m 0700 /tmp/dravik-$stranger 2>/dev/null; do
        stranger=$((stranger - 1))
        [ $stranger -gt 59000 ] || e2e_fail "no free user id for a stranger"
    done
    E2E_MADE+=(/tmp/dravik-$stranger)
    e2e_other_user $stranger
    rmdir "$E2E_AS_RUNTIME"
    start_twice_as "no runtime folder, /tmp/dravik-$stranger made by root"
fi

e2e_close_window "$wid"
e2e_wait_exit "$first"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the first instance"
