#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program in a real X window, played with the keyboard through
# xdotool: Enter on the empty box is a wrong answer and blackens the window;
# Enter again presses "Nuovo calcolo" and the gradient comes back.
#   window.sh PROGRAM SCREENPROBE
set -u
program=$1
probe=$2
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: skipped"; exit 77; }
command -v xdotool >/dev/null || { echo "xdotool missing"; exit 1; }

fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
QT_QPA_PLATFORM=xcb "$program" >"$work/log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Sequilla $' | head -n 1)
[ -n "$window" ] || fail "no window titled 'Sequilla '"
eval "$(xdotool getwindowgeometry --shell "$window")" # X Y WIDTH HEIGHT
# A point of the client area that no control covers (right of the counters),
# in its lower half, where every gradient has blue >= 128.
px=$((X + WIDTH - 40))
py=$((Y + HEIGHT - 120))

pixel() { "$probe" "$px,$py"; }
is_gradient() { # R G B: red equals green, blue from the lower half of the bands
    [ "$1" -eq "$2" ] && [ "$3" -ge 128 ] && [ $(($1 % 10)) -eq 0 ]
}
wait_for() { # predicate-name, what
    for _ in $(seq 1 50); do
        read -r r g b < <(pixel)
        "$1" "$r" "$g" "$b" && return 0
        sleep 0.1
    done
    fail "$2 (pixel at $px,$py is $r $g $b)"
}
is_black() { [ "$1" -eq 0 ] && [ "$2" -eq 0 ] && [ "$3" -eq 0 ]; }

wait_for is_gradient "the first question's gradient never appeared"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --window "$window" Return
wait_for is_black "Enter on the empty box did not turn the window black"
xdotool key --window "$window" Return
wait_for is_gradient "Enter on Nuovo calcolo did not paint a new gradient"
kill -0 $pid 2>/dev/null || fail "the program ended"
echo "e2e_window: gradient, black after a wrong answer, gradient again"
