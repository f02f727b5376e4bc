# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Drives the game's windows as a child does, through the keyboard (xdotool),
# and reads what the session's Orca says, each wait bounded. Sourced by the
# end-to-end match and by scripts/screenshot, inside scripts/own-session
# with reader=1. The caller defines fail (MESSAGE...), which must not
# return, and sets pid, the program's process, before it looks for the
# program's windows.
orca_log=${XDG_RUNTIME_DIR:-}/orca.log
said() { grep -o "SPEECH OUTPUT: '[^']*'" "$orca_log" 2>/dev/null | cut -d "'" -f 2; }
wait_said() { # REGEX: until the last box, question or judgement Orca said matches it
    for _ in $(seq 200); do
        [[ "$(said | grep -E '^(Screen reader on|Come ti|.*campione|Quanto fa|Sbagliato|Esatto|Sì|No |Ciao|Errore)' | tail -n 1)" =~ $1 ]] &&
            return 0 || sleep 0.1
    done
    fail "Orca did not say '$1'; its last words: $(said | tail -n 4 | tr '\n' '|'), its log: $(tail -c 200 "$orca_log")"
}
# Keys go to the focused window, down and up through the X server itself.
keys() { xdotool key --delay 30 "$@"; }
# The keypad's keys by their key codes (the same on Xvfb and Xwayland), with
# Num Lock on (the session turns it on with Orca) as a child who types digits
# there has it: by keysym, xdotool toggles Num Lock on its own, and loses
# track of it when it is on already.
# shellcheck disable=SC2034 # kp_enter: for the callers
kp_enter=104 pad=(90 87 88 89 83 84 85 79 80 81) # 0 to 9
keypad() { for ((i = 0; i < ${#1}; i++)); do echo "${pad[${1:i:1}]}"; done; } # NUMBER
# The program's windows named so (GNOME 48 draws frames in windows of
# their own, which take the name too).
# shellcheck disable=SC2154 # pid: the caller's
find_window() { timeout 20 xdotool search --sync --all --onlyvisible --pid "$pid" --name "$1"; }
# shellcheck disable=SC2154 # pid: the caller's
wait_focus() { # WINDOW WHAT
    timeout 20 sh -c "until [ \"\$(xdotool getwindowfocus 2>/dev/null)\" = $1 ]; do sleep 0.1; done" ||
        fail "$2 did not take the focus: window $1 of $(xdotool search --onlyvisible --pid "$pid" --name . | tr '\n' ' ')" \
            "waited for it, and the focus is on $(xdotool getwindowfocus) '$(xdotool getwindowfocus getwindowname)'"; }
# Waits for the box titled "Sequilla" (the window is "Sequilla ") and for
# it to take the focus, types TEXT, presses KEY and waits for the box to go.
answer_box() { # [TEXT] KEY
    # shellcheck disable=SC2155 # no box is told below, not by set -e in a caller
    local box=$(find_window '^Sequilla$' | tail -n 1)
    [ -n "$box" ] && wait_focus "$box" "the box" || fail "no box"
    [ $# -gt 1 ] && xdotool type --delay 20 "$1" && shift
    keys "$1"
    timeout 20 sh -c "while xdotool search --onlyvisible --name '^Sequilla$' | grep -qx $box;
        do sleep 0.1; done" || fail "the box did not close"
}
