# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for driving the real program under X, with xdotool's keyboard and
# ImageMagick's view of the screen.   source lib.sh PROGRAM
set -u
program=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
pid= restore=
# The build tree's record directory, unless the caller names another: its
# files are set aside for the test and put back afterwards.
if [ -z "${record_dir:-}" ]; then
    record_dir=$(dirname "$program")/record restore=1
    mv "$record_dir"/*quirel.txt "$work" 2>/dev/null
fi
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$restore" ] && rm -f "$record_dir"/*quirel.txt && mv "$work"/*quirel.txt "$record_dir" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Starts the program; a caller may set launch to a command that runs it
# (as another user, say).
start_program() {
    ${launch:-} env QT_QPA_PLATFORM=xcb "$program" >"$work/log" 2>&1 &
    pid=$!
}
# Sets found_window to the visible window whose title matches, and focuses it.
find_window() {
    found_window=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | tail -n 1)
    [ -n "$found_window" ] || fail "no window titled like '$1'"
    xdotool windowfocus --sync "$found_window"
}
# Keys for the focused window: each goes down and up through the X server
# itself, whatever the key does to the window.
keys() { xdotool key --delay 30 "$@"; }

# The program's boxes are titled "Sequilla"; the window "Sequilla ".
answer_box() { # [TEXT] KEY: types the text, then presses the key that closes the box
    find_window '^Sequilla$'
    sleep 0.3
    [ $# -gt 1 ] && xdotool type --delay 20 "$1" && shift
    keys "$1"
    timeout 5 sh -c "while xdotool search --onlyvisible --name '^Sequilla$' | grep -qx $found_window;
        do sleep 0.1; done" || fail "the box did not close"
}
# Waits for the program to end; sets status to its exit status.
wait_exit() { status=0; wait "$pid" || status=$?; pid=; }

# Waits until the screen's pixel at px, py satisfies a predicate on r g b.
wait_pixel() { # predicate what
    local r g b
    for _ in $(seq 50); do
        read -r r g b < <(import -window root -crop "1x1+$px+$py" -depth 8 rgb:- | od -An -tu1)
        "$1" "$r" "$g" "$b" && return 0 || sleep 0.1
    done
    fail "$2 (pixel at $px,$py is $r $g $b)"
}
is_gradient() { [ "$1" -eq "$2" ] && [ "$3" -ge 128 ] && [ $(($1 % 10)) -eq 0 ]; }
is_black() { [ "$1$2$3" = 000 ]; }

# Name box and greeting, then the main window with its first question.
open_match() { # name
    start_program
    answer_box "$1" Return
    answer_box Return
    find_window '^Sequilla $'
    # A point no control covers, low in the gradient (without a window
    # manager the window keeps its restored size: a client area of 792x554).
    eval "$(xdotool getwindowgeometry --shell "$found_window")"
    px=$((X + 760)) py=$((Y + HEIGHT - 154))
    wait_pixel is_gradient "the first question's gradient never appeared"
}

# Answers every number from 2 to 100 to the same question: each Enter is
# judged, so exactly one is right.
answer_all() {
    for answer in $(seq 2 100); do xdotool type "$answer" && keys Return Tab BackSpace BackSpace BackSpace; done
}

hex_of() { od -An -tx1 "$1" | tr -d ' \n'; }
