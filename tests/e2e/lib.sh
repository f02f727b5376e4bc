# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for driving the real program under X with xdotool.
#   source lib.sh PROGRAM SCREENPROBE
set -u
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
program=$1
probe=$2
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: skipped"; exit 77; }
command -v xdotool >/dev/null || { echo "xdotool missing"; exit 1; }

fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d)
chmod 0755 "$work"
pid=
# The build tree's own record directory, unless the caller names another:
# its files are set aside for the test and put back afterwards.
if [ -z "${record_dir:-}" ]; then
    record_dir=$(dirname "$program")/record
    for f in quirel.txt nquirel.txt; do
        [ -e "$record_dir/$f" ] && mv "$record_dir/$f" "$work/saved-$f"
    done
    restore_record=1
fi
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    if [ -n "${restore_record:-}" ]; then
        for f in quirel.txt nquirel.txt; do
            rm -f "$record_dir/$f"
            [ -e "$work/saved-$f" ] && mv "$work/saved-$f" "$record_dir/$f"
        done
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Starts the program; a caller may set launch to a command that runs it
# (as another user, say).
start_program() {
    ${launch:-} env QT_QPA_PLATFORM=xcb "$program" >"$work/log" 2>&1 &
    pid=$!
}

# Sets found_window to the visible window whose title matches the regular
# expression, waiting for it to appear.
find_window() {
    found_window=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | tail -n 1)
    [ -n "$found_window" ] || fail "no window titled like '$1'"
}

# The boxes of the program are titled "Sequilla"; the window "Sequilla ".
answer_box() { # [type:TEXT] KEY: types the text, then presses the key that closes the box
    local box attempt
    find_window '^Sequilla$'
    box=$found_window
    sleep 0.3
    if [ $# -gt 1 ]; then
        xdotool type --window "$box" --delay 20 "${1#type:}" 2>/dev/null
        shift
    fi
    # A box just mapped may not take keys yet: press again until it closes.
    # The key that closes it has its release refused by X, harmlessly.
    for attempt in 1 2 3 4 5; do
        xdotool key --window "$box" "$1" 2>/dev/null
        for _ in $(seq 1 10); do
            xdotool search --onlyvisible --name '^Sequilla$' 2>/dev/null | grep -qx "$box" \
                || return 0
            sleep 0.1
        done
    done
    fail "the box did not close"
}

# Waits for the program to end and sets status to its exit status. Runs in
# the test's own shell, which alone can reap the program.
wait_exit() {
    local tries
    for tries in $(seq 1 100); do
        [ -z "$(ps -o stat= -p "$pid" 2>/dev/null | grep -v Z)" ] && break
        sleep 0.1
    done
    [ "$tries" -lt 100 ] || fail "the program did not end: $(ps -o stat= -p "$pid"), windows: \
$(xdotool search --onlyvisible --name Sequilla 2>/dev/null | while read -r w; do
        printf '[%s] ' "$(xdotool getwindowname "$w")"; done); $(cat "$work/log")"
    status=0
    wait "$pid" || status=$?
    pid=
}

# Finds the main window once its first question is painted, and sets window
# and the client area's origin cx, cy (on a bare X server the window keeps
# its restored size: a client area of 792x554 below the menu bar).
find_main_window() {
    find_window '^Sequilla $'
    window=$found_window
    eval "$(xdotool getwindowgeometry --shell "$window")"
    cx=$X
    cy=$((Y + HEIGHT - 554))
    local r g b
    for _ in $(seq 1 50); do
        # A point no control covers, in the lower half of the gradient.
        read -r r g b < <("$probe" "$((cx + 760)),$((cy + 400))")
        [ "$r" -eq "$g" ] && [ "$b" -ge 128 ] && return 0
        sleep 0.1
    done
    fail "the first question's gradient never appeared"
}

# Name prompt and greeting, then the window with its first question.
open_match() { # name
    start_program
    answer_box "type:$1" Return
    answer_box Return
    find_main_window
}

# Answers the question on screen right, finding the answer by trying 2..100
# in turn: every Enter is judged against the same question, and a wrong one
# changes the wrong count on screen (lblScore1) while the right one does not.
# Leaves the focus on "Nuovo calcolo".
answer_right() {
    local rect="$((cx + 322)),$((cy + 272)),100,59" before after changed answer
    before=$("$probe" --hash "$rect")
    for answer in $(seq 2 100); do
        xdotool type --window "$window" "$answer"
        xdotool key --window "$window" Return
        changed=
        for _ in $(seq 1 20); do
            sleep 0.05
            after=$("$probe" --hash "$rect")
            [ "$after" != "$before" ] && { changed=1; break; }
        done
        [ -z "$changed" ] && return 0
        before=$after
        # The focus is on "Nuovo calcolo": back to the box, and clear it.
        xdotool key --window "$window" Tab BackSpace BackSpace BackSpace BackSpace
    done
    fail "no answer from 2 to 100 was judged right"
}

# Exit through its access key, typed on the keyboard.
press_exit() {
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key alt+x
}

# How many pixels of the record line's score and holder are yellow.
record_shown() {
    local score holder
    score=$("$probe" --count "$((cx + 672)),$((cy + 504)),60,37" 255,255,0)
    holder=$("$probe" --count "$((cx + 208)),$((cy + 504)),120,37" 255,255,0)
    [ "$score" -gt 0 ] && [ "$holder" -gt 0 ]
}

# The bytes of a file, in hex.
hex_of() { od -An -tx1 "$1" | tr -d ' \n'; }
