#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A match with the real program as a blind child plays it, through the real
# services: the keyboard (xdotool), the session's sound server (PipeWire or
# PulseAudio) whose null sink is recorded, and its Orca screen reader, whose
# speech is logged. Each question is answered from what Orca says: Enter on the empty
# box (wrong, the window turns black), then the number it said plus one
# (right); Enter on Nuovo calcolo asks the next over a new gradient, the
# window maximised from the first. Every
# other question is played on the numeric keypad alone, its digits and its
# Enter, as is the name prompt. At the
# end a right answer is cut off by a wrong one at once, and Alt+X brings the
# record message. Orca must say the start-up boxes, each question with its
# number and each judgement, never "Command1"; the tree must hold the
# counters and the time left with their values; the recording must hold one sound a judgement,
# no.wav for wrong and Esatto.wav for right (told apart by pitch), the sound
# cut off ending where the next begins, or nothing when the caller plays in
# silence. The program must end with status 0, never having tried Wayland
# (what it saved is for the caller to check). With no_service
# set, the game has no record service, and must say so after the greeting.
#   sound=1 reader=1 scripts/own-session match.sh PROGRAM [NAME [QUESTIONS]]
# The caller may set record_dir, where the program keeps its record (by
# default the build tree's, which the match starts without), and silence, an
# environment setting for the program under which it must play in silence.
set -u
program=$1 name=${2:-Lia} cycles=${3:-15}
[ -n "${record_dir:-}" ] || { record_dir=$(dirname "$program")/record && rm -f "$record_dir"/*quirel.txt; }
# The helpers that drive the game: in the source tree in scripts/, in the
# package test's copy beside this file.
driver=$(dirname "$0")/drive-game.sh && [ -e "$driver" ] || driver=$(dirname "$0")/../../scripts/drive-game.sh
# shellcheck source=SCRIPTDIR/../../scripts/drive-game.sh
source "$driver" || { echo "FAIL: no drive-game.sh beside $0 or in ../../scripts"; exit 1; }
fail() { # with the program's log, and Orca's last keys and words: a failure explains itself
    echo "FAIL: $*" && cat "$work/log" 2>/dev/null; grep -a -E "SPEECH OUTPUT|keyval_name|modifiers=|CONSUME:" \
        "$orca_log" 2>/dev/null | tail -n 150; exit 1; }
work=$(mktemp -d) helpers=()
trap 'pkill -P "$(IFS=,; echo "${helpers[*]}")" 2>/dev/null; kill "${helpers[@]}" 2>/dev/null; rm -rf "$work"' EXIT
# The session's sound server and Orca, which the caller asks for.
if [ "${sound:-0}" = 0 ] || [ ! -e "$orca_log" ]; then
    fail "no sound server or no Orca in the session: run the match as sound=1 reader=1 scripts/own-session $0 ..."
fi
# The server by the name it gives itself (PipeWire's: PulseAudio on PipeWire).
heard_through=$(pactl info | grep -q PipeWire && echo PipeWire || echo PulseAudio)

paplay "$(dirname "$(readlink -f "$program")")/suoni/no.wav" # a null sink's monitor is late on its first sound
sleep 0.3 # its last samples played, before the recording starts
# A monitor read in small blocks makes the null sink play in small blocks, as
# a sound card does; in large ones, a sound starting mid-block loses its start.
parec -d judge.monitor --latency-msec=5 --raw --format=s16le --rate=22050 --channels=1 \
    >"$work/heard.raw" 2>/dev/null & helpers+=($!)
# The program starts only once the recording has: on a system just booted
# (the package test's) parec can take seconds to connect, and the first
# judgement's sound went unrecorded.
timeout 20 sh -c 'until pactl list short source-outputs | grep -q .; do sleep 0.1; done' ||
    fail "the recording did not start: $(pactl list short source-outputs)"
# Waits until the window's pixel at a point no control covers, low in the
# gradient, passes a test on its r g b (the window alone: Xwayland shows no
# whole screen).
wait_pixel() { # TEST WHAT
    for _ in $(seq 100); do
        eval "$(xdotool getwindowgeometry --shell "$window")" && px=760 py=$((HEIGHT - 154))
        read -r r g b < <(import -window "$window" -crop "1x1+$px+$py" -depth 8 rgb:- | od -An -tu1)
        eval "$1" && return 0 || sleep 0.1
    done
    fail "$2 (pixel at $px,$py is $r $g $b)"
}

wait_said 'Screen reader on'
# As on a Wayland desktop, where the program must still take X (a Wayland
# display that does not exist: none is tried).
env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=sequilla-none ${silence:-} \
    "$program" >"$work/log" 2>&1 & pid=$! && helpers+=($pid)
wait_said '^Come ti chiami\? text\.$' && answer_box "$name" $kp_enter
wait_said "^ $name vediamo se sei un vero campione  \$" && answer_box Return # the greeting
if [ -n "${no_service:-}" ]; then
    # Without its record service, the game says so in the error box, with
    # the command that starts it, and ends with status 1 once it is closed.
    wait_said 'sudo systemctl enable --now sequilla-record\.socket\.' && answer_box Return
    timeout 5 tail --pid=$pid -f /dev/null && { wait $pid; [ $? -eq 1 ]; } || fail "the game did not end with status 1"
    echo "e2e_match: without its record service, the game said: $(said | grep -m 1 Errore)" && exit 0
fi
window=$(find_window '^Sequilla $') && wait_focus "$window" "the window" || fail "no window"
for cycle in $(seq "$cycles"); do
    # As the focus comes to the box, or (Orca 48, the box focused already
    # as the window comes up) as the box's new name, without its role.
    wait_said '^Quanto fa ([0-9]+) più 1\?( text\.)?$'
    right=$((BASH_REMATCH[1] + 1)) enter=Return type=(xdotool type "$right")
    # shellcheck disable=SC2207 # one key code a word
    [ $((cycle % 2)) -eq 1 ] || { enter=$kp_enter && type=(keys $(keypad "$right")); }
    # Both sounds wait in the sound server from the first question on, loaded
    # by a client that the server knows by the program's name.
    [ "$cycle" -gt 1 ] || [ -n "${silence:-}" ] || timeout 5 sh -c 'until [ "$(pactl list samples short |
        grep -c sequilla-)" = 2 ] && pactl list clients | grep -q "application.name = \"Sequilla\"\$";
        do sleep 0.1; done' || fail "no sounds loaded ahead by Sequilla: $(pactl list samples short)"
    [ "$cycle" -gt 1 ] || wait_pixel '[ "$r" = "$g" ] && [ "$b" -ge 128 ] && [ $((r % 10)) = 0 ]' "no gradient"
    # Shown maximised: as wide as the screen.
    [ "$cycle" -gt 1 ] || { read -r screen_width _ < <(xdotool getdisplaygeometry) && [ "$WIDTH" = "$screen_width" ]; } ||
        fail "the window is not maximised: ${WIDTH}x$HEIGHT on a screen $screen_width wide"
    # To Command1, behind Nuovo calcolo, and back, a second later (a pause of
    # the child's, in which Orca would read it).
    [ "$cycle" -gt 1 ] || { keys Tab && sleep 1 && keys shift+Tab; }
    keys $enter
    wait_said "^Sbagliato!! $right\.?\$" && sleep 0.8
    [ "$cycle" -gt 1 ] || wait_pixel '[ "$r$g$b" = 000 ]' "a wrong answer did not blacken the window"
    keys Tab && wait_said '^Quanto fa' && "${type[@]}" && keys $enter # once Orca is back in the box
    wait_said "^Esatto! $name sei forte!\$" && sleep 0.8
    [ "$cycle" -eq "$cycles" ] || keys $enter # Nuovo calcolo
done
# Minimised, the window is named Fattorama, in the tree too; restored, it
# keeps the name and has the focus back.
# Judgements are counted up to here: from here on the focus comes back to
# Nuovo calcolo in other ways (the window restored, the menu closed), and
# Orca reads the last judgement again with the button.
judged=$(said | wc -l)
timeout 20 xdotool windowminimize --sync "$window" && timeout 20 xdotool search --sync --name '^Fattorama$' >/dev/null ||
    fail "the minimised window is not named Fattorama"
xdotool windowactivate "$window" && wait_focus "$window" "the restored window"
xdotool search --name '^Fattorama$' | grep -qx "$window" || fail "the restored window lost its name"
# A pause of the child's, in which Orca takes in the restored window: keys
# reach a Qt 6.4 window only once Orca has seen them, and the wrong answer
# must come soon enough to cut the right one's sound off.
sleep 1 && keys Tab Return Tab BackSpace BackSpace BackSpace Return # right, cut off by wrong
wait_pixel '[ "$r$g$b" = 000 ]' "the last answer did not blacken the window"
sleep 1 # the child's pause again, before the menu
# "nuovo", from the menu bar: asked with Sì and No, No the default; Escape
# keeps the match.
# Qt's menu bar takes the arrows a moment after Alt, which nothing reports
# (Orca names the menu only when it is not busy); a focus or activation
# change between Alt's press and release cancels it, and a child whose
# Alt opened nothing presses it again.
for _ in 1 2; do
    keys alt && sleep 0.3 && keys Right Right Return
    timeout 5 xdotool search --sync --onlyvisible --name '^INIZIARE NUOVA GARA$' >/dev/null && break
done
wait_said '^No (push )?button'
keys shift+Tab && wait_said '^Sì (push )?button' && keys Escape
if [ -n "${time_runs_out:-}" ]; then
    # The child types on till the time runs out: the goodbye must take the
    # focus from the answer box, and Orca must read it.
    keys Tab && wait_said '^Quanto fa'
    until said | grep -q '^Ciao, alla prossima sfida\.' || [ $SECONDS -gt 150 ]; do keys 4 BackSpace; done
    wait_said '^Ciao, alla prossima sfida\. ?$' && answer_box Return
else
    wait_focus "$window" "the window, back from the box" && keys alt+x
fi
answer_box $kp_enter # the record message
timeout 20 tail --pid="$pid" -f /dev/null || fail "the program did not end: $(cat "$work/log")"
wait "$pid" || fail "the program ended with status $?: $(cat "$work/log")"
! grep -i wayland "$work/log" || fail "the program tried Wayland"

! said | grep Command1 || fail "Orca said Command1"
# Each answer judged aloud once: a judgement said twice, or one said in
# place of another, shows here.
spoken=$(said | head -n "$judged" | sed -n 's/^Sbagliato!! .*/W/p; s/^Esatto! .*/R/p' | tr -d '\n')
[[ "$spoken" =~ ^(WR){$cycles}$ ]] || fail "Orca said the judgements $spoken"
# Orca 43 logs a label as [label | text], Orca 48 as [label: 'text'].
for value in "Risposte esatte: $((cycles + 1))" "Risposte errate: $((cycles + 1))" \
    "Risposte totali: $((2 * cycles + 2))" "Tempo restante: 00:0[0-4]:[0-5][0-9]"; do
    grep -Eq "\[label( \| |: ')$value" "$orca_log" || fail "no '$value' in the tree"
done
grep -Eq "\[frame( \| |: ')Fattorama" "$orca_log" || fail "no window named Fattorama in the tree"
# The recording: a sound starts after 0.1 s of silence; its pitch over
# 0.02-0.1 s tells right (C5, 523 Hz) from wrong (311 Hz); the C6 (1047 Hz)
# that a right sound plays from 0.3 s on must be gone at 0.42 s once cut off.
# On a busy machine the last right sound may be cut before its pitch can be
# read ("?"), and the wrong one may start after a silence of its own.
heard=$(od -An -v -td2 -w2 "$work/heard.raw" | awk -v rate=22050 '
    function power(from, seconds, f,   c, i, s0, s1, s2) {
        c = 2 * cos(2 * 3.14159265 * f / rate); s1 = s2 = 0
        for (i = int(from); i < from + seconds * rate; i++) { s0 = x[i] + c * s1 - s2; s2 = s1; s1 = s0 }
        return s1 * s1 + s2 * s2 - c * s1 * s2
    }
    BEGIN { quiet = rate } # the monitor yields nothing while nothing plays: the recording may begin with a sound
    { x[NR] = $1; if ($1 > 300 || $1 < -300) { if (quiet > 0.1 * rate) starts[++n] = NR; quiet = 0 } else quiet++ }
    END {
        for (k = 1; k <= n; k++) {
            r = power(starts[k] + 441, 0.08, 523.25); w = power(starts[k] + 441, 0.08, 311.13)
            printf (r > 20 * w ? "R" : w > 20 * r ? "W" : "?")
        }
        cut = n % 2 ? n : n - 1 # the last right sound: the wrong one after it may stand apart
        if (n > 2 && power(starts[cut] + 0.42 * rate, 0.16, 1046.5) > power(starts[2] + 0.42 * rate, 0.16, 1046.5) / 25)
            print " but the sound cut off went on"
    }')
expected=$(printf 'WR%.0s' $(seq "$cycles"))'[R?]W?' && [ -z "${silence:-}" ] || expected=
[[ "$heard" =~ ^$expected$ ]] || fail "heard $heard"
echo "e2e_match: $cycles questions read by Orca, $((2 * cycles)) judgements said once each; ${silence:+no }sounds heard through $heard_through; record set for $name"
