#!/usr/bin/env bash
# Started from a disk image, the program offers to install itself. "Cancel"
# goes on from the image; "Install" copies the bundle into the user's
# Applications folder (the system's cannot be made here) and, once this
# instance has ended and let go of the single-instance lock, the copy starts
# in its place. The instance that restarts writes no ini file.
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The disk image: a copy of the built bundle on a volume that the mount table
# (DRAVIK_MOUNTINFO) says is mounted from a loop device, whose backing file
# sysfs (DRAVIK_SYSFS) names.
volume="$E2E_TMP/Dravik MIDI T 2.0"
mkdir -p "$volume" "$E2E_TMP/sys/block/loop7/loop"
cp -a "$E2E_BUNDLE" "$volume/"
echo "$E2E_TMP/Dravik MIDI T.dmg" >"$E2E_TMP/sys/block/loop7/loop/backing_file"
printf '1 0 254:0 / / rw - ext4 /dev/vda rw\n2 1 7:7 / %s ro - ext4 /dev/loop7 ro\n' \
    "${volume// /\\040}" >"$E2E_TMP/mountinfo"
export DRAVIK_MOUNTINFO="$E2E_TMP/mountinfo" DRAVIK_SYSFS="$E2E_TMP/sys"
touch "$E2E_TMP/a-file"
export DRAVIK_APPLICATIONS_DIR="$E2E_TMP/a-file/Applications"
E2E_PROGRAM="$volume/Dravik MIDI T.app/Contents/MacOS/Dravik MIDI T"
offer_title="^Dravik MIDI T is currently running from a disk image$"
main_title="^Dravik MIDI T - v2\.0$"

# "Cancel" (Escape): the program runs from the image.
e2e_start
offer=$(e2e_wait_window_named "$offer_title")
e2e_screenshot offer
e2e_key "$offer" Escape
wid=$(e2e_wait_window_named "$main_title")
[ ! -e "$E2E_HOME/Applications" ] || e2e_fail "cancelling the offer installed something"
e2e_close_window "$wid"
e2e_wait_exit "$E2E_PID"
e2e_assert_eq 0 "$E2E_STATUS" "exit status after cancelling the offer"

# "Install" (Return), then "Restart" (Return).
e2e_fresh_home
e2e_start
first=$E2E_PID
offer=$(e2e_wait_window_named "$offer_title")
e2e_key "$offer" Return
done_box=$(e2e_wait_window_named "^Dravik MIDI T installed successfully$")
e2e_screenshot installed
e2e_key "$done_box" Return
e2e_wait_exit "$first"
e2e_assert_eq 0 "$E2E_STATUS" "exit status of the instance that restarts"
[ ! -e "$(e2e_ini_file)" ] || e2e_fail "the instance that restarted wrote an ini file"

copy="$E2E_HOME/Applications/Dravik MIDI T.app"
[ -x "$copy/Contents/MacOS/Dravik MIDI T" ] || e2e_fail "no executable copy in $copy"
cmp "$E2E_BUNDLE/Contents/Resources/background_t.png" "$copy/Contents/Resources/background_t.png" \
    || e2e_fail "the copy's image differs"

# The copy runs, from its own place, in a process this test did not start.
wid=$(e2e_wait_window_named "$main_title")
E2E_PID=$(xdotool getwindowpid "$wid")
E2E_PIDS+=("$E2E_PID")
e2e_assert_eq "$copy/Contents/MacOS/Dravik MIDI T" "$(readlink "/proc/$E2E_PID/exe")" "the program of the new window"
e2e_screenshot copy-running
e2e_close_window "$wid"
deadline=$((SECONDS + E2E_TIMEOUT))
while kill -0 "$E2E_PID" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the copy still runs after its window was closed"
    e2e_nudge "$E2E_PID"
    sleep 0.1
done
[ -f "$(e2e_ini_file)" ] || e2e_fail "the copy wrote no ini file when it closed"
