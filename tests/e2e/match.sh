#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A match with the real program under X, played with the keyboard as a child
# plays (xdotool), watched through the screen (ImageMagick): the name in the
# real input box and the greeting; Enter on the empty box is wrong and
# blackens the window, Enter again asks a new question over a new gradient;
# right answers, Alt+X and the record message; the program ends with status
# 0, never having tried Wayland, and the record files hold the score and the
# name.
#   match.sh PROGRAM [NAME [RIGHT_ANSWERS]]
# The caller may set launch, a command that runs the program (as another
# user, say), and record_dir, where the program keeps its record; by default
# the build tree's, which the match starts without a record.
set -u
program=$1 name=${2:-Lia} rights=${3:-1}
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d) pid=
[ -n "${record_dir:-}" ] || { record_dir=$(dirname "$program")/record && rm -f "$record_dir"/*quirel.txt; }
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT

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

# As on a Wayland desktop, where the program must still take X (a Wayland
# display that does not exist: none is tried).
${launch:-} env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=sequilla-none \
    "$program" >"$work/log" 2>&1 &
pid=$!
answer_box "$name" Return
answer_box Return # the greeting
find_window '^Sequilla $'
# A point no control covers, low in the gradient (without a window manager
# the window keeps its restored size: a client area of 792x554).
eval "$(xdotool getwindowgeometry --shell "$found_window")"
px=$((X + 760)) py=$((Y + HEIGHT - 154))
wait_pixel is_gradient "the first question's gradient never appeared"
keys Return
wait_pixel is_black "Enter on the empty box did not turn the window black"
keys Return
wait_pixel is_gradient "Enter on Nuovo calcolo did not paint a new gradient"
for round in $(seq "$rights"); do
    [ "$round" -eq 1 ] || keys shift+Tab Return # Nuovo calcolo: the next question
    # Every number from 2 to 100 to the same question: exactly one is right.
    for answer in $(seq 2 100); do xdotool type "$answer" && keys Return Tab BackSpace BackSpace BackSpace; done
done
keys alt+x
answer_box Return # the record message
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$work/log")"
! grep -i wayland "$work/log" || fail "the program tried Wayland"
[ "$(cat "$record_dir/quirel.txt" "$record_dir/nquirel.txt")" = "$(printf '%s\r\n%s\r' "$rights" "$name")" ] ||
    fail "the record files hold: $(od -c "$record_dir/quirel.txt" "$record_dir/nquirel.txt")"
echo "e2e_match: wrong, new question, $rights right; the record set for $name"
