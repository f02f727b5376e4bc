#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package on this machine, as a school's admin would use it:
# build it, validate its desktop entry and metadata, install it with apt, let
# two children with accounts of their own play the installed program (the
# first sets the record, the second sees it and beats it), then remove and
# purge it and show what stays and what goes. Needs root and DISPLAY.
#   install.sh SOURCE_DIR SCREENPROBE
set -u
source_dir=$1
probe_tool=$2
record_dir=/var/games/sequilla
if [ "$(id -u)" -ne 0 ]; then
    echo "install test: skipped (needs root)"
    exit 0
fi
if dpkg-query -W -f='${Status}' sequilla 2>/dev/null | grep -q 'install ok installed'; then
    echo "install test: skipped (Sequilla is installed here already; it is left alone)"
    exit 0
fi
users=(sequilla-pupil1 sequilla-pupil2)
finish() {
    dpkg --purge sequilla >/dev/null 2>&1
    for user in "${users[@]}"; do userdel "$user" 2>/dev/null; done
}
trap finish EXIT
set -e

cd "$source_dir"
[ -f build/release/CMakeCache.txt ] || cmake --preset release >/dev/null
cmake --build --preset release --parallel "$(nproc)" >/dev/null
(cd build/release && cpack >/dev/null)
deb=$(ls build/release/sequilla_*_amd64.deb)
echo "package: $deb, $(du -k "$deb" | cut -f1) KiB"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
desktop-file-validate packaging/org.sequilla.Sequilla.desktop
appstreamcli validate --no-net build/release/packaging/org.sequilla.Sequilla.metainfo.xml

apt-get install -y -q --no-install-recommends "./$deb" >/dev/null
[ -x /usr/bin/sequilla ] && [ -d /usr/lib/sequilla/suoni ] || { echo "FAIL: not installed"; exit 1; }
# The sound module is loaded by path at run time: it must be there, whole.
module=/usr/lib/sequilla/libsequilla-sound.so
[ -f "$module" ] && ! ldd "$module" | grep -q "not found" \
    || { echo "FAIL: sound module missing or unresolved"; exit 1; }
mode=$(stat -c %a "$record_dir")
[ "$mode" = 777 ] || { echo "FAIL: record directory has mode $mode, not 777 (nor sticky)"; exit 1; }
for user in "${users[@]}"; do useradd -M -s /usr/sbin/nologin "$user"; done
set +e

# Each child plays in a process of their own, under their own account.
play() { # user name rights
    (
        launch="runuser -u $1 -- env HOME=/tmp XDG_RUNTIME_DIR=/tmp/$1-runtime"
        mkdir -p "/tmp/$1-runtime" && chown "$1" "/tmp/$1-runtime" && chmod 0700 "/tmp/$1-runtime"
        source "$source_dir/tests/e2e/lib.sh" /usr/bin/sequilla "$probe_tool"
        open_match "$2"
        if [ "$3" -gt 1 ]; then
            record_shown || fail "$1 does not see the record"
        fi
        for round in $(seq 1 "$3"); do
            [ "$round" -gt 1 ] && xdotool key --window "$window" Return # the next question
            answer_right
        done
        press_exit
        answer_box Return # the record message
        wait_exit
        [ "$status" -eq 0 ] || fail "$1's program ended with status $status"
        rm -rf "/tmp/$1-runtime"
    )
}
play sequilla-pupil1 Anna 1 || exit 1
[ "$(stat -c '%U %a' "$record_dir/quirel.txt")" = "sequilla-pupil1 666" ] \
    || { echo "FAIL: the first record file is $(stat -c '%U %a' "$record_dir/quirel.txt")"; exit 1; }
play sequilla-pupil2 Bruno 2 || exit 1
[ "$(od -An -c "$record_dir/quirel.txt" | tr -d ' ')" = '2\r\n' ] \
    && [ "$(od -An -c "$record_dir/nquirel.txt" | tr -d ' ')" = 'Bruno\r\n' ] \
    || { echo "FAIL: the record is $(od -c "$record_dir/quirel.txt") $(od -c "$record_dir/nquirel.txt")"; exit 1; }
echo "the second child beat the first: $(stat -c '%U' "$record_dir/quirel.txt") holds the record"

# Installing the package again runs the same scripts as an upgrade does.
dpkg -i "$deb" >/dev/null
[ "$(od -An -c "$record_dir/nquirel.txt" | tr -d ' ')" = 'Bruno\r\n' ] \
    || { echo "FAIL: reinstalling lost the record"; exit 1; }
echo "after reinstalling over it: record kept"

apt-get remove -y -q sequilla >/dev/null
[ ! -e /usr/bin/sequilla ] && [ -f "$record_dir/quirel.txt" ] \
    || { echo "FAIL: remove did not keep the record, or left the program"; exit 1; }
echo "after remove: program gone, record kept ($(ls "$record_dir" | tr '\n' ' '))"
dpkg --purge sequilla >/dev/null
[ ! -e "$record_dir" ] || { echo "FAIL: purge left $record_dir"; exit 1; }
echo "after purge: $record_dir gone"
echo "install test: passed"
