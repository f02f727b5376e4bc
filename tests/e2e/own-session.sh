#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one end-to-end test as on a child's desktop, but on a display of its
# own, inside a session bus of its own with the accessibility bus up, so that
# nothing one test leaves behind reaches another. Fails when the test leaves
# a key or a button held down. The display is an X server (Xvfb), as under
# the X11 desktops, or with desktop=gnome a headless GNOME Shell on Wayland,
# as Debian's default desktop, whose Xwayland the program then runs on.
#   own-session.sh TEST [ARGS...]   (screen: the X screen, by default 1280x1024x24;
#                                    home_files: a folder whose content the home starts with;
#                                    desktop: xvfb (the default) or gnome)
set -u
work=$(mktemp -d) helpers=()
trap 'kill "${helpers[@]}" 2>/dev/null; wait; rm -rf "$work"' EXIT
# A home of its own too: what the desktop's services save (the screen reader
# switched on, say) stays out of the user's.
export XDG_RUNTIME_DIR="$work" HOME="$work" desktop=${desktop:-xvfb} \
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
[ -z "${home_files:-}" ] || cp -r "$home_files/." "$HOME"
if [ "$desktop" = gnome ]; then
    # GNOME Shell wants a system bus, which a bare machine may lack: one of
    # its own. A booted system makes the X sockets' folder; Xwayland needs it.
    dbus-daemon --config-file="$(dirname "$0")/system-bus.conf" --address="unix:path=$work/system_bus" \
        --nofork --nopidfile 2>/dev/null & helpers+=($!)
    for _ in $(seq 100); do [ -S "$work/system_bus" ] && break; sleep 0.1; done
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus" XDG_SESSION_TYPE=wayland
    [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
else
    Xvfb -displayfd 3 -screen 0 "${screen:-1280x1024x24}" -nolisten tcp -noreset 3>"$work/display" \
        2>"$work/display.log" & helpers+=($!)
fi
# Inside the session bus: the display, the accessibility bus (started as a
# desktop starts it, on demand), the test, and the keys' state after it.
dbus-run-session -- bash -c '
    if [ "$desktop" = gnome ]; then
        gnome-shell --headless --wayland --virtual-monitor "$(cut -d x -f 1-2 <<<"${screen:-1280x1024}")" \
            >"$XDG_RUNTIME_DIR/display.log" 2>&1 &
        shell=$!
        trap "kill $shell; wait $shell 2>/dev/null" EXIT
        for _ in $(seq 300); do
            display=$(grep -so "Using public X11 display :[0-9]*" "$XDG_RUNTIME_DIR/display.log" | grep -o "[0-9]*$")
            XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null) && [ -n "$display" ] &&
                export XAUTHORITY &&
                DISPLAY=:$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
            sleep 0.1
        done
        export WAYLAND_DISPLAY=wayland-0
        # GNOME starts in its overview, once it has started; a child leaves
        # the overview for the game.
        overview() { gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
            --method org.freedesktop.DBus.Properties.$1 org.gnome.Shell OverviewActive ${2:-} 2>/dev/null; }
        for _ in $(seq 100); do overview Get | grep -q true && break; sleep 0.1; done
        overview Set "<false>" >/dev/null
        for _ in $(seq 50); do overview Get | grep -q false && break; sleep 0.1; done
    else
        for _ in $(seq 100); do [ -s "$XDG_RUNTIME_DIR/display" ] && break; sleep 0.1; done
        display=$(head -n 1 "$XDG_RUNTIME_DIR/display")
    fi
    export DISPLAY=:$display
    xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "FAIL: no display: $(grep -v dbus-daemon "$XDG_RUNTIME_DIR/display.log" | tail -n 40)"; exit 1; }
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null || exit 1
    "$@"
    status=$?
    held=$(xinput query-state "Virtual core XTEST keyboard" && xinput query-state "Virtual core XTEST pointer") ||
        { echo "FAIL: cannot read the keyboard'"'"'s state"; exit 1; }
    [ "$(grep -c =down <<<"$held")" -eq 0 ] || { echo "FAIL: the test left a key or button down"; exit 1; }
    exit $status' own-session "$@"
