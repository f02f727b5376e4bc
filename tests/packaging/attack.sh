#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A pupil tries to reach the record through the installed game, from their
# own home and environment (the caller fills the home): the program starts
# with the given settings; if its window comes up, the window's process must
# hold no record file and its record keeper must be closed to the pupil, and
# one answer is judged, so that a sound plays. With intruder=1 in its own
# environment, the pupil's module must have run (its mark in the home). Whether
# the record stayed as it was is for the caller to check.
#   attack.sh PROGRAM RECORD_DIR [NAME=VALUE...]
set -u
program=$1 record_dir=$2 && shift 2
fail() { echo "FAIL: $*"; exit 1; }
openbox >/dev/null 2>&1 & wm=$!
# A window mapped while the window manager starts may never show.
timeout 10 sh -c 'until xdotool get_desktop >/dev/null 2>&1; do sleep 0.1; done' || fail "no window manager"
env "$@" "$program" >"$HOME/log" 2>&1 & pid=$!
trap 'kill $pid $wm 2>/dev/null' EXIT
window() { # NAME: waits (while the game runs, 20 s at most) for the window NAME, and focuses it
    local end=$((SECONDS + 20))
    until box=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1) && [ -n "$box" ] ||
        ! kill -0 $pid 2>/dev/null || [ $SECONDS -gt $end ]; do sleep 0.2; done
    [ -n "$box" ] && xdotool windowfocus --sync "$box" 2>/dev/null && sleep 0.5
}
# Without an intruder, which may break the game, the game must come up.
window '^Sequilla$' || [ -n "${intruder:-}" ] || fail "the name box never came up: $(cat "$HOME/log")"
if [ -n "$box" ] && kill -0 $pid 2>/dev/null; then
    fds=$(ls -l /proc/$pid/fd) && ! grep -F "$record_dir" <<<"$fds" && keeper=$(pgrep -P $pid) &&
        ! ls /proc/"$keeper"/fd >/dev/null 2>&1 ||
        fail "the window's process holds a record file or hides what it holds, or no keeper hides its"
    xdotool type Intruso && xdotool key Return && sleep 1 # the name, the greeting, a judgement
    for next in '^Sequilla$' '^Sequilla $'; do window "$next" && xdotool key Return && sleep 2; done
fi
[ -z "${intruder:-}" ] || [ -s "$HOME/intruder-ran" ] || fail "the intruder never ran: $(cat "$HOME/log")"
echo "attack with $*: the game ${box:+came up and }ended"
