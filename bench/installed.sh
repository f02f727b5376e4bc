#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed game's figures, in a real systemd (scripts/own-system, as
# root): the round trip of a load and of a save through the record service
# on its socket, its start by systemd included, and the start-up of the
# real window that loads its record there, against the floor and against
# the same window with a service child of its own, and with the service
# stopped before each start. Builds the package and the bench preset first.
#   bench/installed.sh [N, default 41]
source "$(dirname "$0")/../scripts/common.sh"
runs=${1:-41}
deb=$(scripts/package 2>/dev/null)
build_preset bench >/dev/null
exec scripts/own-system bash -c '
    set -e
    apt-get install -y -q --no-install-recommends "$1" >/dev/null 2>&1
    cd "$2"
    echo "== the record service: round trips (the first starts it)"
    build/bench/bench_recordtrip "$3"
    systemctl stop sequilla-record.service
    build/bench/bench_recordtrip 1 | head -n 1
    echo "== start-up: the real window loading its record from the service, against the floor"
    work=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null & xvfb=$!
    until [ -s "$work/display" ]; do sleep 0.1; done
    export DISPLAY=":$(head -n 1 "$work/display")"
    openbox >/dev/null 2>&1 & wm=$!
    sleep 1
    socket=BENCH_RECORD_SOCKET=/run/sequilla/record
    build/bench/bench_paired "$3" -- env $socket build/bench/bench_firstpaint -- build/bench/bench_floor 2>/dev/null
    echo "== start-up: the record from the installed service, against a service child of its own"
    build/bench/bench_paired "$3" -- env $socket build/bench/bench_firstpaint -- build/bench/bench_firstpaint 2>/dev/null
    echo "== start-up, exec to first paint, with the service stopped before each run (systemd starts it)"
    for _ in 1 2 3 4 5 6 7; do
        systemctl stop sequilla-record.service
        env $socket build/bench/bench_firstpaint 2>/dev/null | head -n 1
    done | sort -n | sed -n 4p | sed "s/^/median of 7: /"
    kill $wm $xvfb' installed "$deb" "$PWD" "$runs"
