#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A whole match with the real program, as a child plays it: the name in the
# real input box, the greeting, a right answer found by trying answers in
# turn, the exit button, the record message; the program ends with status 0
# and the record files hold the score and the name. A second run shows that
# record on screen.
#   match.sh PROGRAM SCREENPROBE
source "$(dirname "$0")/lib.sh"

# Rectangles of the client area, in pixels (twips / 15).
score1_rect() { echo "$((cx + 322)),$((cy + 272)),100,59"; } # lblScore1, the wrong count
record_rect() { echo "$((cx + 672)),$((cy + 504)),60,37"; }  # lblpunti, the record score
holder_rect() { echo "$((cx + 208)),$((cy + 504)),120,37"; } # lblnome, the record holder
press_exit() { # its access key, Alt+X, typed on the keyboard
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key alt+x
}
yellow_in() { "$probe" --count "$1" 255,255,0; }

open_match() { # name
    start_program
    answer_box "type:$1" Return
    answer_box Return
    find_main_window
}

# --- first run: no record yet
open_match Lia
[ "$(yellow_in "$(record_rect)")" -eq 0 ] || fail "a record is shown before any was set"

# Every Enter is judged against the same question; a wrong one changes the
# wrong count on screen, the right one does not.
found=
before=$("$probe" --hash "$(score1_rect)")
for answer in $(seq 2 100); do
    xdotool type --window "$window" "$answer"
    xdotool key --window "$window" Return
    changed=
    for _ in $(seq 1 20); do
        sleep 0.05
        after=$("$probe" --hash "$(score1_rect)")
        [ "$after" != "$before" ] && { changed=1; break; }
    done
    [ -z "$changed" ] && { found=$answer; break; }
    before=$after
    # The focus is on "Nuovo calcolo": back to the box, and clear it.
    xdotool key --window "$window" Tab BackSpace BackSpace BackSpace BackSpace
done
[ -n "$found" ] || fail "no answer from 2 to 100 was judged right"
echo "right answer: $found"

press_exit
answer_box Return # the record message
wait_exit
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(od -An -tx1 "$record_dir/quirel.txt" | tr -d ' \n')" = "310d0a" ] \
    || fail "score file holds: $(od -c "$record_dir/quirel.txt")"
[ "$(od -An -tx1 "$record_dir/nquirel.txt" | tr -d ' \n')" = "4c69610d0a" ] \
    || fail "name file holds: $(od -c "$record_dir/nquirel.txt")"

# --- second run: the record is on screen; leaving with 0 keeps it
open_match Bo
[ "$(yellow_in "$(record_rect)")" -gt 0 ] || fail "the record score is not shown"
[ "$(yellow_in "$(holder_rect)")" -gt 0 ] || fail "the record holder is not shown"
press_exit
wait_exit
[ "$status" -eq 0 ] || fail "the second run ended with status $status"
[ "$(cat "$record_dir/nquirel.txt")" = $'Lia\r' ] || fail "a score of 0 replaced the record"
echo "e2e_match: record set by the first run, shown and kept by the second"
