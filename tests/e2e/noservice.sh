#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed game when its record service cannot be reached (inside
# scripts/own-session): after the name and the greeting, the error box
# says so and names the command that mends it, as the accessibility tree
# shows it to a screen reader; once it is closed, the game ends with
# status 1. It never hangs.
#   noservice.sh PROGRAM
set -u
program=$1
fail() { echo "FAIL: $*"; exit 1; }
openbox >/dev/null 2>&1 & wm=$!
trap 'kill $wm ${pid:-} 2>/dev/null' EXIT
timeout 10 sh -c 'until xdotool get_desktop >/dev/null 2>&1; do sleep 0.1; done' || fail "no window manager"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >/dev/null 2>&1 & pid=$!
# Closes the next box titled "Sequilla" with Enter, once it has the focus,
# after typing TEXT into it.
close_box() { # [TEXT]
    local box
    box=$(timeout 20 xdotool search --sync --onlyvisible --pid $pid --name '^Sequilla$' | tail -n 1)
    [ -n "$box" ] && timeout 5 sh -c "until [ \"\$(xdotool getwindowfocus)\" = $box ]; do sleep 0.1; done" ||
        fail "no box with the focus"
    [ $# -eq 0 ] || xdotool type --delay 20 "$1"
    xdotool key Return
    timeout 5 sh -c "while xdotool search --onlyvisible --pid $pid --name '^Sequilla$' | grep -qx $box;
        do sleep 0.1; done" || fail "the box did not close"
}
# Every name and text the program shows, as a screen reader reads them.
shown() {
    python3 - <<'PY' 2>/dev/null
import pyatspi
def walk(node, depth=0):
    if depth > 12:
        return
    if node.name:
        print(node.name)
    for child in node:
        walk(child, depth + 1)
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and "sequilla" in (app.name or "").lower():
        walk(app)
PY
}
close_box Ada # the name
close_box     # the greeting
for _ in $(seq 100); do
    grep -q 'sudo systemctl enable --now sequilla-record.socket' <<<"$(shown)" && break
    sleep 0.2
done
text=$(shown | grep -m 1 'record di Sequilla')
grep -q 'sudo systemctl enable --now sequilla-record.socket' <<<"$text" ||
    fail "the error box does not name the command: $(shown | tr '\n' '|')"
close_box
timeout 5 sh -c "while kill -0 $pid 2>/dev/null; do sleep 0.1; done" || fail "the game did not end"
wait $pid
status=$?
[ $status -eq 1 ] || fail "the game ended with status $status"
echo "noservice: the box said: $text"
