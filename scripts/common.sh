# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/play and scripts/test: Debian packages and the build.

set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# What building and running Sequilla needs on Debian 12 and 13.
build_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libcanberra-dev libcanberra-pulse libxcb1-dev
    fonts-liberation2 fonts-dejavu-core
)
# What the tests need besides: an X server for each end-to-end test, a
# keyboard robot and its key-state check, a view of the screen, a session
# bus with the accessibility bus as on a desktop, a sound server to record
# (below) and its clients, the Orca screen reader under a small window
# manager, GNOME Shell with its Xwayland for the match on Debian's default
# desktop, valgrind, and, for the package test, the Debian and desktop tools
# (lintian, hardening-check from devscripts, blhc, autopkgtest),
# systemd to boot in a system of the test's own, what a pupil mounts with
# FUSE, and Python for the clients that speak to the record service.
test_packages=(xvfb xdotool xinput imagemagick dbus-daemon dbus-bin dbus-x11 at-spi2-core
    pulseaudio-utils orca speech-dispatcher openbox gnome-shell xwayland
    valgrind dpkg-dev file desktop-file-utils appstream lintian devscripts blhc autopkgtest
    systemd squashfuse squashfs-tools fuse3 python3)
# What the benchmarks need to build (the test command builds them, it does
# not time them).
bench_packages=(libbenchmark-dev)
# What the fuzzers of the record service need: clang and its libFuzzer and
# sanitizer runtimes, each release's default version.
fuzz_packages=(clang libclang-rt-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

is_installed() {
    dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

# The sound server that the end-to-end match records: the one this machine
# has already, since installing a second one would change which one the next
# desktop login starts; on a machine with none, the one its release's
# desktops run: PipeWire from Debian 13 on, PulseAudio on Debian 12.
sound_server_packages() {
    local release
    release=$(. /etc/os-release && echo "${VERSION_ID:-}")
    if is_installed pipewire-pulse; then
        echo pipewire-pulse wireplumber
    elif is_installed pulseaudio; then
        echo pulseaudio
    elif [ -n "$release" ] && [ "${release%%.*}" -lt 13 ]; then
        echo pulseaudio
    else
        echo pipewire-pulse wireplumber
    fi
}

# Installs, without recommends, only the packages that are missing.
install_missing() {
    local missing=() package
    for package in "$@"; do
        is_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The release this runs on, as its test output names it.
release_name() {
    (. /etc/os-release && echo "${PRETTY_NAME:-$ID}")
}

# Configures and builds one preset. Configuring again is quick, and gives a
# tree made by an older version of the preset the preset's variables.
build_preset() {
    if [ -e "build/$1" ] && [ ! -w "build/$1" ]; then
        echo "build/$1 belongs to $(stat -c %U "build/$1"), from a build as root; make it yours with:" >&2
        echo "  sudo chown -R $(id -un): build" >&2
        exit 1
    fi
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" --parallel "$(nproc)"
}

# Run through sudo, what was built goes back to the user who asked for it,
# so that their next ./scripts/play can build there.
if [ -n "${SUDO_UID:-}" ] && [ "$(id -u)" -eq 0 ]; then
    trap '[ ! -d build ] || chown -R "$SUDO_UID:$SUDO_GID" build' EXIT
fi

# The time each stage of a run took, for the line that ends it.
stage_times=()
timed() { # NAME COMMAND...: runs COMMAND and notes its time under NAME
    local start=$SECONDS status=0
    "${@:2}" || status=$?
    stage_times+=("$1 $((SECONDS - start)) s")
    return $status
}
print_times() { # WHERE
    local list
    list=$(printf '%s, ' "${stage_times[@]}")
    echo "== time of each stage $1: ${list%, }"
}
