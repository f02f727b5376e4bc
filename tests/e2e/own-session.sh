#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one end-to-end test as on a child's desktop, but on an X server of its
# own, inside a session bus of its own with the accessibility bus up, so that
# nothing one test leaves behind reaches another. Fails when the test leaves
# a key or a button held down.
#   own-session.sh TEST [ARGS...]   (screen: the X screen, by default 1280x1024x24;
#                                    home_files: a folder whose content the home starts with)
set -u
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${screen:-1280x1024x24}" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; exit 1; }
# A home of its own too: what the desktop's services save (the screen reader
# switched on, say) stays out of the user's.
export DISPLAY=":$(head -n 1 "$work/display")" XDG_RUNTIME_DIR="$work" HOME="$work" \
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
[ -z "${home_files:-}" ] || cp -r "$home_files/." "$HOME"

# The accessibility bus starts as a desktop starts it, on demand.
dbus-run-session -- bash -c 'dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null && exec "$@"' own-session "$@"
status=$?
held=$(xinput query-state "Virtual core XTEST keyboard" && xinput query-state "Virtual core XTEST pointer") ||
    { echo "FAIL: cannot read the keyboard's state"; exit 1; }
[ "$(grep -c '=down' <<<"$held")" -eq 0 ] || { echo "FAIL: the test left a key or button down"; exit 1; }
exit $status
