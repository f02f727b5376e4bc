#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the two judgement sounds with sox (Debian's package "sox"); the WAV
# files are committed, so this only needs running to change them.
#   Esatto.wav: a rising major arpeggio, C5 E5 G5 C6, bright and short.
#   no.wav:     two soft falling square-wave notes, a gentle "uh-oh".
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
note() { sox -n -r 22050 -b 16 -c 1 "$tmp/$1.wav" synth "$2" "$3" "$4" fade q 0.005 "$2" "$5"; }

note c 0.10 sine 523.25 0.03
note e 0.10 sine 659.25 0.03
note g 0.10 sine 783.99 0.03
note c6 0.30 sine 1046.50 0.20
sox "$tmp/c.wav" "$tmp/e.wav" "$tmp/g.wav" "$tmp/c6.wav" Esatto.wav gain -n -3

note hi 0.20 square 311.13 0.05
note lo 0.40 square 233.08 0.25
sox "$tmp/hi.wav" "$tmp/lo.wav" no.wav gain -15 lowpass 1600 gain -n -6
