#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark of bench/ built by the bench preset and prints its
# figures: start-up against the floor (paired runs, then hyperfine), the
# handlers, the repaint regions and the idle CPU. It installs what it needs
# and is missing, builds the bench preset, and starts its own X server at
# 1920x1080 with the openbox window manager, so that both windows are
# maximised as on a school PC. The key-to-sound benchmark runs apart
# (bench/README.md).
#   bench/run.sh [idle seconds, default 60]
source "$(dirname "$0")/../scripts/common.sh"
install_missing "${build_packages[@]}" "${bench_packages[@]}" xvfb openbox hyperfine
build_preset bench >/dev/null
build=build/bench
idle=${1:-60}

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
openbox >/dev/null 2>&1 &
sleep 1

echo "== start-up: the real window against the floor"
"$build/bench_paired" 41 -- "$build/bench_firstpaint" -- "$build/bench_floor" 2>/dev/null
echo "== start-up: the real window against the floor that shows its texts in its fonts"
"$build/bench_paired" 41 -- "$build/bench_firstpaint" -- "$build/bench_floor_fonts" 2>/dev/null
hyperfine -N --warmup 3 --runs 41 "$build/bench_firstpaint" \
    "$build/bench_floor" "$build/bench_floor_fonts" 2>/dev/null

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
