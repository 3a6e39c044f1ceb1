# Shared functions of the black-box tests: the built program under its own Xvfb
# server, with a fresh HOME and a runtime folder of its own, driven and
# inspected from outside.
#
# A test script (tests/e2e/test_<name>.sh; CTest passes it the program, the X11
# helper and the artefact folder) begins with
#
#     source "$(dirname "$0")/lib.sh"
#     e2e_init "$@"
#
# and then uses the functions below. Functions that look something up print it
# on stdout; every failure ends the test through e2e_fail, which saves a
# screenshot. Whatever the test started is stopped when it exits.
#
# Every program a test starts has the virtual MIDI back-end (DRAVIK_MIDI_BACKEND),
# without ports unless e2e_midi_setup gives some: a machine's own MIDI ports
# never change a test. Every run has its own runtime folder (XDG_RUNTIME_DIR),
# where the program keeps its single-instance lock: an editor that the user has
# open, or another run of the tests, never meets the programs of this one.
#
# Variables set by e2e_init:
#   E2E_PROGRAM    the program ("Dravik MIDI T.app/Contents/MacOS/Dravik MIDI T")
#   E2E_BUNDLE     its bundle folder ("Dravik MIDI T.app")
#   E2E_OUT        this test's artefact folder (screenshots, program output)
#   E2E_HOME       the program's fresh HOME
#   XDG_RUNTIME_DIR  this run's runtime folder (exported)
#   DISPLAY        the test's own X server (exported)
# Set by e2e_other_user: E2E_AS, the command that runs what follows it as that
# user, and E2E_AS_PROGRAM, E2E_AS_HOME and E2E_AS_RUNTIME, the copy of the
# program, the HOME and the runtime folder of that user.
# Set by e2e_midi_setup: E2E_MIDI_LOG, E2E_MIDI_CONTROL and E2E_MIDI_REPLY.
# Set by e2e_start: E2E_PID, the process id of the program just started.
# Set by e2e_wait_exit: E2E_STATUS, the exit status of the process waited for.

E2E_SCREEN_WIDTH=1280
E2E_SCREEN_HEIGHT=1024
E2E_TIMEOUT=60          # seconds to wait for a window or an exit
E2E_PIDS=()             # every program started, stopped at exit
E2E_XVFB_PID=
E2E_TMP=
E2E_STARTS=0
E2E_MADE=()             # folders a test made outside E2E_TMP, removed at exit
E2E_AS=()
E2E_OPEN="34 15"        # the top left corner of OPEN, the first control

# e2e_init PROGRAM X11_HELPER ARTEFACT_DIR
# Starts Xvfb on a free display, creates the window-manager atoms, makes a fresh
# HOME and this run's runtime folder, and arranges the clean-up.
e2e_init() {
    set -euo pipefail
    [ $# -eq 3 ] || { echo "usage: $0 PROGRAM X11_HELPER ARTEFACT_DIR" >&2; exit 2; }
    E2E_PROGRAM=$1
    E2E_X11_HELPER=$2
    E2E_BUNDLE=$(cd "$(dirname "$E2E_PROGRAM")/../.." && pwd)
    E2E_OUT="$3/$(basename "$0" .sh)"
    rm -rf "$E2E_OUT"
    mkdir -p "$E2E_OUT"
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/dravik-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    [ -x "$E2E_PROGRAM" ] || e2e_fail "no program at $E2E_PROGRAM"
    e2e_start_xvfb
    "$E2E_X11_HELPER" atoms || e2e_fail "cannot create the window-manager atoms"
    e2e_fresh_home
    XDG_RUNTIME_DIR=$(mktemp -d "$E2E_TMP/run.XXXXXX")
    export XDG_RUNTIME_DIR
    # The build tree may lie on a loop device, which would make the program
    # offer to install itself: no mounts unless a test sets up its own.
    export DRAVIK_MOUNTINFO=/dev/null
    export DRAVIK_MIDI_BACKEND=virtual
}

# Xvfb picks a free display itself (-displayfd) and reports it when it is ready.
# -noreset keeps the atoms when the last client leaves.
e2e_start_xvfb() {
    local fifo="$E2E_TMP/displayfd" number=
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN_WIDTH}x${E2E_SCREEN_HEIGHT}x24" -noreset -nolisten tcp \
        3>"$fifo" >"$E2E_OUT/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    read -r -t "$E2E_TIMEOUT" number <"$fifo" || true
    [ -n "$number" ] || e2e_fail "Xvfb did not start (see xvfb.log)"
    export DISPLAY=":$number"
}

# A new, empty HOME for the programs started from now on.
e2e_fresh_home() {
    E2E_HOME=$(mktemp -d "$E2E_TMP/home.XXXXXX")
}

# e2e_start [ARGUMENT...]
# Starts the program in the background with HOME=$E2E_HOME; sets E2E_PID. Its
# output goes to program-N.log in the artefact folder. Do not call it inside
# $(...): the process must be a child of the test's own shell.
e2e_start() {
    E2E_STARTS=$((E2E_STARTS + 1))
    HOME="$E2E_HOME" "$E2E_PROGRAM" "$@" >"$E2E_OUT/program-$E2E_STARTS.log" 2>&1 &
    E2E_PID=$!
    E2E_PIDS+=("$E2E_PID")
}

# e2e_other_user USER
# Prepares the starts as that user, a name or a user id that may have no entry
# in the user database (its group id is then the same number), for
# e2e_start_as: a copy of the bundle that
# the user can reach, since the build may lie in a folder closed to others (the
# home of root is), and a HOME and a runtime folder of the user's own. Returns
# 1, saying why, when it cannot: only root starts programs as another user, and
# the temporary folder may be closed to others too.
e2e_other_user() {
    local user=$1 folder="$E2E_TMP/as-$1"
    if [ "$(id -u)" -ne 0 ]; then
        echo "starts as $user: skipped, only root can start a program as another user"
        return 1
    fi
    chmod 0711 "$E2E_TMP"
    mkdir -p "$folder"
    cp -a "$E2E_BUNDLE" "$folder/"
    E2E_AS_PROGRAM="$folder/$(basename "$E2E_BUNDLE")/Contents/MacOS/$(basename "$E2E_PROGRAM")"
    E2E_AS_HOME="$folder/home"
    E2E_AS_RUNTIME="$folder/run"
    mkdir -m 0700 "$E2E_AS_HOME" "$E2E_AS_RUNTIME"
    chown "$user" "$E2E_AS_HOME" "$E2E_AS_RUNTIME"
    E2E_AS=(setpriv --reuid="$user" --regid="$(id -g "$user" 2>/dev/null || echo "$user")" --clear-groups)
    if ! "${E2E_AS[@]}" test -x "$E2E_AS_PROGRAM"; then
        echo "starts as $user: skipped, $user cannot reach $folder"
        return 1
    fi
}

# e2e_start_as [ARGUMENT...]
# Like e2e_start, but as the user that e2e_other_user prepared, with that user's
# HOME and runtime folder; sets E2E_PID.
e2e_start_as() {
    E2E_STARTS=$((E2E_STARTS + 1))
    "${E2E_AS[@]}" env HOME="$E2E_AS_HOME" XDG_RUNTIME_DIR="$E2E_AS_RUNTIME" \
        "$E2E_AS_PROGRAM" "$@" >"$E2E_OUT/program-$E2E_STARTS.log" 2>&1 &
    E2E_PID=$!
    E2E_PIDS+=("$E2E_PID")
}

# e2e_find_window PID
# Prints the id of the visible window of that process, waiting until it appears.
e2e_find_window() {
    local pid=$1 wid= deadline=$((SECONDS + E2E_TIMEOUT))
    while [ $SECONDS -lt $deadline ]; do
        wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        kill -0 "$pid" 2>/dev/null || e2e_fail "process $pid ended without showing a window"
        sleep 0.1
    done
    e2e_fail "no window of process $pid within ${E2E_TIMEOUT}s"
}

# e2e_wait_size WINDOW WIDTH HEIGHT
# Waits until the window has that size. The program sizes its window last in
# its set-up, so a window of the final size stands where it was placed; before
# that it may still be shown elsewhere for a moment (slow builds show this).
e2e_wait_size() {
    local deadline=$((SECONDS + E2E_TIMEOUT)) geometry=
    while [ $SECONDS -lt $deadline ]; do
        geometry=$(e2e_window_geometry "$1" 2>/dev/null || true)
        [ "${geometry#* * }" = "$2 $3" ] && return 0
        sleep 0.1
    done
    e2e_fail "window $1 is '$geometry', not ${2}x$3 after ${E2E_TIMEOUT}s"
}

# e2e_background_size
# Prints "WIDTH HEIGHT" of the bundle's background image, the window's content size.
e2e_background_size() {
    identify -format '%w %h\n' "$E2E_BUNDLE/Contents/Resources/background_t.png"
}

# e2e_count_windows NAME_REGEX
# Prints how many visible windows have a title matching the regular expression.
e2e_count_windows() {
    { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | wc -l
}

# e2e_window_title WINDOW
e2e_window_title() {
    xdotool getwindowname "$1"
}

# e2e_window_geometry WINDOW
# Prints "X Y WIDTH HEIGHT" (position relative to the screen).
e2e_window_geometry() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# e2e_allowed_actions WINDOW
# Prints the window's _NET_WM_ALLOWED_ACTIONS, one atom name a line: the
# title-bar buttons and resizing a window manager would offer.
e2e_allowed_actions() {
    xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | sed -n 's/^[^=]*= //p' | tr -d ' ' | tr ',' '\n'
}

# e2e_move_window WINDOW X Y
# Moves the window as a user dragging its title bar would, and waits until the
# server reports the new position; a move that the program's own placement undid
# is made again, as the user would drag again.
e2e_move_window() {
    local deadline=$((SECONDS + E2E_TIMEOUT)) geometry
    while [ $SECONDS -lt $deadline ]; do
        xdotool windowmove "$1" "$2" "$3"
        geometry=$(e2e_window_geometry "$1")
        [ "${geometry% * *}" = "$2 $3" ] && return 0
        sleep 0.1
    done
    e2e_fail "window $1 did not move to $2,$3"
}

# e2e_key WINDOW KEY...
# Gives the window the keyboard focus and types the keys (xdotool key names,
# such as Return, Escape, alt+n), for example to answer a message box.
e2e_key() {
    local wid=$1
    shift
    xdotool windowfocus --sync "$wid" key --clearmodifiers "$@"
}

# e2e_wait_focus WINDOW X Y
# Gives the window the keyboard focus and waits until the control whose top
# left corner is at X,Y shows the focus frame. Keys typed before the program
# has put its focus back on a control (just after a box, a file dialog or a
# popup list has gone, say) reach no control and are lost.
e2e_wait_focus() {
    xdotool windowfocus --sync "$1"
    e2e_poll "$1" e2e_focused_at "$@" || e2e_fail "no focus frame at $2,$3 (pixel '$E2E_SEEN')"
}

e2e_focused_at() {
    E2E_SEEN=$(import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' || true)
    [ "$E2E_SEEN" = "#0054A6" ]
}

# e2e_close_window WINDOW
# Asks the window to close as a window manager's close button does.
e2e_close_window() {
    "$E2E_X11_HELPER" close "$1" || e2e_fail "cannot send the close request to window $1"
}

# e2e_nudge PID
# Sends every window of the process an event it ignores. JUCE reads its X
# events when the connection's socket has data; an event that Xlib took in
# during another request waits in Xlib's queue until the next event comes,
# which on a bare server may be never (slow builds show it). So whoever waits
# for the program to react to a close request, a click or a keystroke nudges
# it meanwhile; the wait functions here do.
e2e_nudge() {
    local wid
    for wid in $(xdotool search --pid "$1" 2>/dev/null || true); do
        "$E2E_X11_HELPER" nudge "$wid" 2>/dev/null || true
    done
}

# e2e_poll WINDOW CHECK...
# Runs the check until it succeeds, nudging the window's program meanwhile;
# returns 1 when it has not succeeded within the timeout. Checks leave what
# they saw last in E2E_SEEN, for the caller's failure message.
e2e_poll() {
    local window=$1 deadline=$((SECONDS + E2E_TIMEOUT)) round=0
    shift
    while [ $SECONDS -lt $deadline ]; do
        "$@" && return 0
        round=$((round + 1))
        [ $((round % 5)) -ne 0 ] || "$E2E_X11_HELPER" nudge "$window" 2>/dev/null || true
        sleep 0.1
    done
    return 1
}

e2e_title_is() {
    E2E_SEEN=$(e2e_window_title "$1" 2>/dev/null || true)
    [ "$E2E_SEEN" = "$2" ]
}

# e2e_wait_title WINDOW TITLE
# Waits until the window has exactly that title, nudging its program.
e2e_wait_title() {
    e2e_poll "$1" e2e_title_is "$1" "$2" || e2e_fail "window title: expected '$2', got '$E2E_SEEN'"
}

# e2e_wait_window_named NAME_REGEX
# Prints the id of the first visible window whose title matches (a dialog of
# the program, say), waiting for it and nudging the program last started.
e2e_wait_window_named() {
    local deadline=$((SECONDS + E2E_TIMEOUT)) wid= round=0
    while [ $SECONDS -lt $deadline ]; do
        wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        round=$((round + 1))
        [ $((round % 5)) -ne 0 ] || e2e_nudge "$E2E_PID"
        sleep 0.1
    done
    e2e_fail "no window '$1' within ${E2E_TIMEOUT}s"
}

# e2e_wait_started WINDOW
# Waits until the panel has started and shows its document: only then is its
# program type box enabled, drawn in the dark grey of boxes in use. Keys typed
# before would edit a document that the start then replaces.
e2e_wait_started() {
    e2e_poll "$1" e2e_started "$1" || e2e_fail "the panel of window $1 did not start (program type box: '$E2E_SEEN')"
}

e2e_started() {
    E2E_SEEN=$(import -window "$1" -crop 1x1+185+138 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' || true)
    [ "$E2E_SEEN" = "#999999" ]
}

# e2e_wait_no_window NAME_REGEX
# Waits until no visible window has a title that matches, nudging the program
# last started.
e2e_wait_no_window() {
    local deadline=$((SECONDS + E2E_TIMEOUT)) round=0
    while [ "$(e2e_count_windows "$1")" -ne 0 ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "window '$1' still shown after ${E2E_TIMEOUT}s"
        round=$((round + 1))
        [ $((round % 5)) -ne 0 ] || e2e_nudge "$E2E_PID"
        sleep 0.1
    done
}

# e2e_answer_no CONFIRM_WINDOW
# Clicks "No", the middle of a question's three buttons along its bottom.
e2e_answer_no() {
    local width height
    read -r _ _ width height < <(e2e_window_geometry "$1")
    e2e_click "$1" $((width / 2 - 12)) $((height - 41))
}

# e2e_settings_image
# Prints the 690 bytes of a settings image: the built-in template's rule with
# program 1 of type "Loop Portamento".
e2e_settings_image() {
    local program step
    printf '\xf0'
    for program in $(seq 1 19); do
        printf "\\x$(printf %02x "$program")"
        if [ "$program" -eq 1 ]; then printf '\x02'; else printf '\x00'; fi
        for step in $(seq 16); do printf '\x00\x01'; done
        printf '\x10\x25'
    done
    printf '\x11\x19\x04\x0e\xf7'
}

# e2e_remember_file PATH
# Writes an ini file that names PATH as the last file, so the program opens it.
e2e_remember_file() {
    local ini
    ini=$(e2e_ini_file)
    mkdir -p "$(dirname "$ini")"
    printf '[Current]\nFile=%s\nDocumentsDir=%s\n' "$1" "$(dirname "$1")" >"$ini"
}

# e2e_live_document
# Makes Documents/live.syx of the test's home, holding the default settings, the
# remembered file.
e2e_live_document() {
    mkdir -p "$E2E_HOME/Documents"
    e2e_settings_image >"$E2E_HOME/Documents/live.syx"
    e2e_remember_file "$E2E_HOME/Documents/live.syx"
}

# e2e_replug_send_and_close WINDOW PORT CHOSEN_IMAGE
# Plugs the chosen PORT in again: the box shows it and SEND is ready; SEND
# answered "Yes" writes the live document as the first packet and then waits.
# Closes the window and checks that the program ended well.
e2e_replug_send_and_close() {
    e2e_midi_control "add $2"
    e2e_wait_port_box "$1" "$3"
    e2e_wait_send_state "$1" ready
    e2e_click "$1" 238 62
    e2e_key "$(e2e_wait_window_named "^Confirm$")" Return
    e2e_wait_midi_packets 1
    e2e_assert_eq "$(e2e_hex "$E2E_HOME/Documents/live.syx")" "$(e2e_midi_packet 1)" "the packet sent after replugging"
    e2e_wait_send_state "$1" waiting
    e2e_close_window "$1"
    e2e_wait_exit "$E2E_PID"
    e2e_assert_eq 0 "$E2E_STATUS" "exit status"
}

# e2e_click WINDOW X Y
# A left click at a point of the window (window coordinates).
e2e_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# e2e_cpu_seconds PID
# Prints the processor time the process has used so far, in whole seconds.
e2e_cpu_seconds() {
    local stat fields
    stat=$(cat "/proc/$1/stat") || e2e_fail "no process $1"
    # The fields after the command name, which is in parentheses and may hold blanks.
    read -r -a fields <<<"${stat##*) }"
    echo $(((fields[11] + fields[12]) / $(getconf CLK_TCK)))
}

# e2e_wait_exit PID
# Waits until the process ends and sets E2E_STATUS to its exit status, nudging
# its windows meanwhile; fails the test when it still runs after the timeout.
# Not inside $(...), like e2e_start.
e2e_wait_exit() {
    local pid=$1 deadline=$((SECONDS + E2E_TIMEOUT)) round=0
    while kill -0 "$pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || e2e_fail "process $pid still runs after ${E2E_TIMEOUT}s"
        round=$((round + 1))
        [ $((round % 5)) -ne 0 ] || e2e_nudge "$pid"
        sleep 0.1
    done
    E2E_STATUS=0
    wait "$pid" || E2E_STATUS=$?
}

# Ends a process that is still running: politely first, then for good.
e2e_stop() {
    local pid=$1 tries=50
    kill "$pid" 2>/dev/null || return 0
    while kill -0 "$pid" 2>/dev/null && [ $tries -gt 0 ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

# e2e_midi_setup PORTS
# The MIDI ports of the programs started from now on (names separated by ";"),
# each an input and an output. Every packet they send becomes a line of hex bytes
# in $E2E_MIDI_LOG; e2e_midi_control talks to them through $E2E_MIDI_CONTROL and
# hears their answers on $E2E_MIDI_REPLY.
e2e_midi_setup() {
    E2E_MIDI_LOG="$E2E_OUT/midi.log"
    E2E_MIDI_CONTROL="$E2E_TMP/midi-control"
    E2E_MIDI_REPLY="$E2E_TMP/midi-reply"
    : >"$E2E_MIDI_LOG"
    [ -p "$E2E_MIDI_CONTROL" ] || mkfifo "$E2E_MIDI_CONTROL"
    [ -p "$E2E_MIDI_REPLY" ] || mkfifo "$E2E_MIDI_REPLY"
    export DRAVIK_VIRTUAL_MIDI_PORTS=$1 DRAVIK_VIRTUAL_MIDI_LOG=$E2E_MIDI_LOG
    export DRAVIK_VIRTUAL_MIDI_CONTROL=$E2E_MIDI_CONTROL DRAVIK_VIRTUAL_MIDI_REPLY=$E2E_MIDI_REPLY
}

# e2e_midi_control COMMAND
# Gives the running program's MIDI back-end a command and returns once it has
# been carried out: "add NAME" or "remove NAME" plugs a port in or out,
# "fail-send STATUS" makes every send fail with that status, "ok-send" lets them
# succeed again; after "hold-changes" the program hears of ports that come and go
# only at "release-changes".
e2e_midi_control() {
    local reply
    reply=$(timeout "$E2E_TIMEOUT" bash -c 'printf "%s\n" "$1" >"$2" && read -r line <"$3" && echo "$line"' \
        _ "$1" "$E2E_MIDI_CONTROL" "$E2E_MIDI_REPLY") || e2e_fail "the program does not answer on its MIDI control pipe"
    [ "$reply" = ok ] || e2e_fail "the program's MIDI back-end refused '$1'"
}

# e2e_midi_packets
# Prints the number of packets the programs sent so far.
e2e_midi_packets() {
    wc -l <"$E2E_MIDI_LOG"
}

# e2e_wait_midi_packets COUNT
# Waits until that many packets were sent, nudging the program last started:
# the answer that sends may wait in Xlib's queue like any other event.
e2e_wait_midi_packets() {
    local deadline=$((SECONDS + E2E_TIMEOUT)) round=0
    while [ "$(e2e_midi_packets)" -lt "$1" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "$(e2e_midi_packets) MIDI packets sent, expected $1"
        round=$((round + 1))
        [ $((round % 5)) -ne 0 ] || e2e_nudge "$E2E_PID"
        sleep 0.1
    done
    [ "$(e2e_midi_packets)" -eq "$1" ] || e2e_fail "$(e2e_midi_packets) MIDI packets sent, expected $1"
}

# e2e_midi_packet NUMBER
# Prints the packet of that number (from 1) as logged.
e2e_midi_packet() {
    sed -n "$1p" "$E2E_MIDI_LOG"
}

# e2e_hex FILE
# Prints the file's bytes as the MIDI log writes a packet.
e2e_hex() {
    od -An -v -tx1 "$1" | tr 'a-f' 'A-F' | xargs
}

# e2e_send_state WINDOW
# Prints what the SEND button shows: "ready" (enabled, "SEND"), "off" (disabled,
# "SEND") or "waiting" ("(waiting for device)"). Read from its pixels: only the
# long caption reaches the button's left part, and only an enabled caption is black.
e2e_send_state() {
    local shot="$E2E_TMP/send.png" left centre
    import -window "$1" -crop 215x25+131+50 +repage "$shot" 2>/dev/null || return 0
    left=$(convert "$shot" -crop 50x14+10+6 -colorspace Gray -format '%[fx:minima < 0.6]' info:)
    centre=$(convert "$shot" -crop 50x14+82+6 -colorspace Gray -format '%[fx:minima < 0.2]' info:)
    if [ "$left" = 1 ]; then
        echo waiting
    elif [ "$centre" = 1 ]; then
        echo ready
    else
        echo off
    fi
}

# e2e_wait_send_state WINDOW STATE
# Waits until SEND shows that state (see e2e_send_state), nudging the program.
e2e_wait_send_state() {
    e2e_poll "$1" e2e_send_state_is "$1" "$2" || e2e_fail "SEND: expected '$2', got '$E2E_SEEN'"
}

e2e_send_state_is() {
    E2E_SEEN=$(e2e_send_state "$1")
    [ "$E2E_SEEN" = "$2" ]
}

# e2e_port_box_image WINDOW FILE
# Saves the text area of the MIDI port box, inside its focus frame.
e2e_port_box_image() {
    import -window "$1" -crop 190x13+134+21 +repage "$2" 2>/dev/null || e2e_fail "cannot read the port box"
}

# e2e_start_unchosen NONE_IMAGE
# Starts the program with no port chosen, sets wid, saves the port box's
# "(none)" in NONE_IMAGE and waits until the window takes keys.
e2e_start_unchosen() {
    e2e_start
    wid=$(e2e_find_window "$E2E_PID")
    e2e_wait_started "$wid"
    e2e_wait_send_state "$wid" off
    e2e_port_box_image "$wid" "$1"
    e2e_wait_focus "$wid" $E2E_OPEN
}

# e2e_wait_port_box WINDOW IMAGE
# Waits until the port box shows what it showed in the image, nudging the program.
e2e_wait_port_box() {
    e2e_poll "$1" e2e_port_box_shows "$1" "$2" && return 0
    cp "$E2E_TMP/port-box-now.png" "$E2E_OUT/port-box-last.png"
    e2e_fail "the port box does not show $(basename "$2") (see port-box-last.png)"
}

# e2e_wait_port_box_change WINDOW FROM_IMAGE TO_IMAGE
# Waits until the port box shows something other than FROM_IMAGE and saves
# that in TO_IMAGE: one key's choice has then been carried out.
e2e_wait_port_box_change() {
    e2e_poll "$1" e2e_port_box_differs "$1" "$2" ||
        e2e_fail "the port box still shows $(basename "$2")"
    cp "$E2E_TMP/port-box-now.png" "$3"
}

e2e_port_box_differs() {
    ! e2e_port_box_shows "$@"
}

e2e_port_box_shows() {
    e2e_port_box_image "$1" "$E2E_TMP/port-box-now.png"
    [ "$(compare -metric AE "$2" "$E2E_TMP/port-box-now.png" null: 2>&1 || true)" = 0 ]
}

# e2e_save_as WINDOW NAME [SCREENSHOT]
# SAVE through the real file dialog, typing the name (the folder is the one the
# dialog starts in), with a screenshot of the dialog when named; waits until the
# dialog has gone.
e2e_save_as() {
    local dialog dialog_width dialog_height
    e2e_click "$1" 74 62
    dialog=$(e2e_wait_window_named "^Save a Dravik MIDI T File$")
    [ -z "${3:-}" ] || e2e_screenshot "$3"
    # The file name field lies across the dialog, above its buttons.
    read -r _ _ dialog_width dialog_height < <(e2e_window_geometry "$dialog")
    e2e_click "$dialog" $((dialog_width / 2)) $((dialog_height - 63))
    e2e_key "$dialog" ctrl+a
    xdotool type --delay 20 "$2"
    # Return closes the dialog at once, so it goes to the window that has the focus.
    xdotool key Return
    e2e_wait_no_window "^Save a Dravik MIDI T File$"
}

# e2e_screenshot NAME
# Saves the whole screen as NAME.png in the artefact folder.
e2e_screenshot() {
    import -window root "$E2E_OUT/$1.png" 2>/dev/null || echo "no screenshot $1" >&2
}

# e2e_ini_file
# Prints the path of the program's per-user ini file: "<bundle>.kset" beside
# the bundle when it exists, else the bundle's name with ".kset" in
# $E2E_HOME/.Dravikon.
e2e_ini_file() {
    local beside="${E2E_BUNDLE%.app}.kset"
    if [ -f "$beside" ]; then
        echo "$beside"
    else
        echo "$E2E_HOME/.Dravikon/$(basename "${E2E_BUNDLE%.app}").kset"
    fi
}

# e2e_ini_value SECTION KEY
# Prints the key's value from the per-user ini file; nothing when it is absent.
e2e_ini_value() {
    local file
    file=$(e2e_ini_file)
    [ -f "$file" ] || return 0
    awk -v section="[$1]" -v key="$2" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }
    ' "$file"
}

# e2e_assert_eq EXPECTED ACTUAL WHAT
e2e_assert_eq() {
    [ "$1" = "$2" ] || e2e_fail "$3: expected '$1', got '$2'"
}

# e2e_fail MESSAGE
e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs at exit: a screenshot when the test failed, then every program started
# is stopped (by its own process id) and the X server with it.
e2e_cleanup() {
    local status=$? pid made
    set +e
    if [ $status -ne 0 ] && [ -n "${DISPLAY:-}" ]; then
        e2e_screenshot failure
    fi
    for pid in "${E2E_PIDS[@]}"; do
        e2e_stop "$pid"
    done
    [ -n "$E2E_XVFB_PID" ] && e2e_stop "$E2E_XVFB_PID"
    for made in "${E2E_MADE[@]}"; do
        rm -rf "$made"
    done
    [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
    exit $status
}
