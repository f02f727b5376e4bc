#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program in a real X window, played with the keyboard through
# xdotool: Enter on the empty box is a wrong answer and blackens the window;
# Enter again presses "Nuovo calcolo" and the gradient comes back.
#   window.sh PROGRAM SCREENPROBE
source "$(dirname "$0")/lib.sh"

start_program
answer_box "type:Ada" Return   # the name
answer_box Return              # the greeting
find_main_window
# A point of the client area that no control covers (right of the counters),
# in its lower half, where every gradient has blue >= 128.
px=$((cx + 760))
py=$((cy + 400))

pixel() { "$probe" "$px,$py"; }
is_gradient() { [ "$1" -eq "$2" ] && [ "$3" -ge 128 ] && [ $(($1 % 10)) -eq 0 ]; }
is_black() { [ "$1" -eq 0 ] && [ "$2" -eq 0 ] && [ "$3" -eq 0 ]; }
wait_for() { # predicate, what
    for _ in $(seq 1 50); do
        read -r r g b < <(pixel)
        "$1" "$r" "$g" "$b" && return 0
        sleep 0.1
    done
    fail "$2 (pixel at $px,$py is $r $g $b)"
}

xdotool key --window "$window" Return
wait_for is_black "Enter on the empty box did not turn the window black"
xdotool key --window "$window" Return
wait_for is_gradient "Enter on Nuovo calcolo did not paint a new gradient"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "e2e_window: gradient, black after a wrong answer, gradient again"
