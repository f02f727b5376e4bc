#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A match with the real program, played with the keyboard as a child plays:
# the name in the real input box and the greeting; Enter on the empty box is
# wrong and blackens the window, Enter again asks a new question over a new
# gradient; one right answer among many, Alt+X and the record message; the
# program ends with status 0 and the record files hold the score and the name.
#   match.sh PROGRAM
source "$(dirname "$0")/lib.sh"

open_match Lia
keys Return
wait_pixel is_black "Enter on the empty box did not turn the window black"
keys Return
wait_pixel is_gradient "Enter on Nuovo calcolo did not paint a new gradient"
answer_all
keys alt+x
answer_box Return # the record message
wait_exit && [ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$work/log")"
[ "$(hex_of "$record_dir/quirel.txt")" = 310d0a ] || fail "score file: $(od -c "$record_dir/quirel.txt")"
[ "$(hex_of "$record_dir/nquirel.txt")" = 4c69610d0a ] || fail "name file: $(od -c "$record_dir/nquirel.txt")"

echo "e2e_match: wrong, new question, right; the record set"
