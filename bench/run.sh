#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark of bench/ and prints its figures: start-up against the
# floor, the handlers, the repaint regions and the idle CPU. It starts its
# own X server at 1920x1080 and, if openbox is installed, a window manager,
# so that both windows are maximised as on a school PC.
#   bench/run.sh [build directory, default build/bench] [idle seconds, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
idle=${2:-60}
[ -x "$build/bench_floor" ] || { echo "build the bench preset first" >&2; exit 1; }

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    sleep 1
fi

echo "== start-up: the real window against the floor"
"$build/bench_paired" 41 -- "$build/bench_firstpaint" -- "$build/bench_floor" 2>/dev/null
echo "== start-up: the real window against the floor that shows its texts in its fonts"
"$build/bench_paired" 41 -- "$build/bench_firstpaint" -- "$build/bench_floor_fonts" 2>/dev/null
if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 3 --runs 41 "$build/bench_firstpaint" "$build/bench_floor" \
        "$build/bench_floor_fonts" 2>/dev/null
fi

echo "== handlers (offscreen)"
QT_QPA_PLATFORM=offscreen "$build/bench_handlers" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null

echo "== repaint regions (on the X server)"
"$build/bench_repaint" 2>/dev/null

echo "== idle: ${idle} s of a match nobody answers, against the floor's timer"
"$build/bench_firstpaint" --idle "$idle" 2>/dev/null | sed 's/^/real window:          /' &
"$build/bench_floor" --idle "$idle" 2>/dev/null | sed 's/^/floor, label tick:    /' &
"$build/bench_floor" --idle "$idle" --repaint-all 2>/dev/null | sed 's/^/floor, window repaint: /' &
wait $(jobs -p | tail -n 3)
