#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A whole match with the real program, as a child plays it: the name in the
# real input box, the greeting, a right answer found by trying answers in
# turn, the exit button, the record message; the program ends with status 0
# and the record files hold the score and the name. A second run shows that
# record on screen.
#   match.sh PROGRAM SCREENPROBE
source "$(dirname "$0")/lib.sh"

# --- first run: no record yet
open_match Lia
record_shown && fail "a record is shown before any was set"
answer_right
press_exit
answer_box Return # the record message
wait_exit
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(hex_of "$record_dir/quirel.txt")" = "310d0a" ] \
    || fail "score file holds: $(od -c "$record_dir/quirel.txt")"
[ "$(hex_of "$record_dir/nquirel.txt")" = "4c69610d0a" ] \
    || fail "name file holds: $(od -c "$record_dir/nquirel.txt")"

# --- second run: the record is on screen; leaving with 0 keeps it
open_match Bo
record_shown || fail "the record is not shown"
press_exit
wait_exit
[ "$status" -eq 0 ] || fail "the second run ended with status $status"
[ "$(hex_of "$record_dir/nquirel.txt")" = "4c69610d0a" ] || fail "a score of 0 replaced the record"
echo "e2e_match: record set by the first run, shown and kept by the second"
