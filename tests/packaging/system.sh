#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package test, as root inside a booted systemd (install.sh starts it):
# the upgrade from the layout that every account could write, with what
# pupils left there; the package's files, units and sandbox; two children
# playing a match each; a pupil's attacks on the record service, its socket
# and its record; remove and purge; and the upgrades from the packages of
# the earlier versions, each with a record and one class let play.
#   system.sh SOURCE_DIR DEB
# The packages of the earlier
# versions are those in the folder SEQUILLA_TEST_EARLIER (install.sh gives
# it); without it, those upgrades are not run, and the test says so.
set -u
source_dir=$1 deb=$2
record_dir=/var/games/sequilla
users=(sequilla-pupil1 sequilla-pupil2) class=sequilla-class
fail() { echo "FAIL: $*"; exit 1; }
check() { "${@:2}" || fail "$1"; }
as() { runuser -u "$1" -- "${@:2}"; }
record() { cat "$record_dir/quirel.txt" "$record_dir/nquirel.txt" 2>&1; }
configured() { dpkg-query -W -f='${Status}' sequilla | grep -qx 'install ok installed'; }

dpkg --purge sequilla >/dev/null 2>&1; rm -rf "$record_dir" # as on a machine without it
groupadd $class && useradd -M -s /usr/sbin/nologin -G $class "${users[0]}" &&
    useradd -m -s /usr/sbin/nologin "${users[1]}" || fail "the accounts"
# A copy of the tests every account can read.
e2e=$(mktemp -d) && cp -r "$source_dir"/tests/e2e/. "$source_dir"/tests/packaging/pupil.py \
    "$source_dir"/scripts/own-session* "$source_dir"/scripts/drive-game.sh "$e2e" && chmod -R a+rX "$e2e"
client=$e2e/pupil.py
# --- The upgrade from the folder every account could write ------------------
# What pupils left: a record whose name the service refuses (a line
# separator), a fifo, a link to a secret, a folder with a blank in its name
# and a mount in it, a pupil's own FUSE mount where the name file was, and
# another on the folder itself, over all of these: root cannot enter either.
mkdir -p -m 0777 "$record_dir" && mkfifo "$record_dir/fifo" && ln -s /etc/shadow "$record_dir/link"
printf '12\r\n' >"$record_dir/quirel.txt" && printf 'Zorro\342\200\250x\r\n' >"$record_dir/nquirel.txt"
chown "${users[1]}" "$record_dir"/*quirel.txt && chmod 0666 "$record_dir"/*quirel.txt
mkdir "$record_dir/a folder" && mount -t tmpfs -o size=1m tmpfs "$record_dir/a folder"
image=$(mktemp -d) && echo 99 >"$image/quirel.txt" && chmod +x "$image" && mksquashfs "$image"/{quirel.txt,fs} >/dev/null
rm "$record_dir/nquirel.txt" && mkdir "$record_dir/nquirel.txt" && chown "${users[1]}" "$record_dir/nquirel.txt"
as "${users[1]}" squashfuse "$image/fs" "$record_dir/nquirel.txt" || fail "the pupil's FUSE mount"
check "root could enter the pupil's FUSE mount" test ! -r "$record_dir/nquirel.txt/quirel.txt"
as "${users[1]}" squashfuse "$image/fs" "$record_dir" && test ! -e "$record_dir" || fail "the mount on the folder"
apt-get install -y -q --no-install-recommends "$deb" >/tmp/apt.log 2>&1 || fail "install: $(tail -n 20 /tmp/apt.log)"
check "the upgrade did not end configured" configured
check "the record's folder" test "$(stat -c '%U:%G %a' "$record_dir")" = "_sequilla:_sequilla 700"
check "the record kept from the old folder" test "$(record)" = "$(printf '12\r\n\r')"
check "the old folder is not gone" test -z "$(ls -d "$record_dir".* 2>/dev/null)"
echo "install test: a pupil's FUSE mount on the record folder itself: unmounted, the record under it kept"

# --- The package ------------------------------------------------------------
setid=$(dpkg -L sequilla | while read -r f; do [ ! -f "$f" ] || stat -c '%a %n' "$f"; done | grep -E '^[2467][0-7]{3} ')
check "set-id files in the package: $setid" test -z "$setid"
exposure=$(systemd-analyze security sequilla-record.service --no-pager 2>/dev/null |
    sed -n 's/.*Overall exposure level for sequilla-record.service: \([0-9.]*\).*/\1/p')
check "the service's exposure is ${exposure:-unknown}" awk -v e="${exposure:-9}" 'BEGIN { exit !(e <= 1.5) }'
echo "install test: the record service's exposure (systemd-analyze security): $exposure"

# --- Two children play ------------------------------------------------------
# Each plays a whole match in a desktop session of their own, under their
# own account; the first sets the record, the second beats it in silence,
# with no sound server, which must change nothing else.
play() { as "$1" env record_dir=$record_dir silence="$4" sound=1 reader=1 "$e2e/own-session" "$e2e/match.sh" \
    /usr/games/sequilla "$2" "$3"; }
printf '' >"$record_dir/quirel.txt" && printf '' >"$record_dir/nquirel.txt" # no record
check "first child" play "${users[0]}" Anna 2 ""
check "the first child's record" test "$(record)" = "$(printf '3\r\nAnna\r')"
check "second child" play "${users[1]}" Bruno 3 PULSE_SERVER=unix:/nonexistent
check "the second child's record" test "$(record)" = "$(printf '4\r\nBruno\r')"

# --- A pupil against the record ---------------------------------------------
# The second child attacks the service, its socket and its record, as any
# program of theirs may (tests/packaging/pupil.py); the first, who may play,
# loads the record every 50 ms through each attack, and each of those loads
# must come back within a second.
SECONDS=0 pupil=${users[1]} service=$(systemctl show -P MainPID sequilla-record.service) before=$(record)
for try in "kill -STOP $service" "kill -KILL $service" "prlimit --pid $service --fsize=2" \
    "renice -n 19 -p $service" "ls $record_dir" "cat $record_dir/quirel.txt"; do
    out=$(LC_ALL=C as $pupil $try 2>&1) && fail "$pupil could $try"
    grep -Eq 'not permitted|Permission denied' <<<"$out" || fail "$try: $out"
done
# attack WHAT COMMAND...: the command while the first child loads; what both did.
attack() {
    setpriv --reuid="${users[0]}" --regid="${users[0]}" --init-groups "$client" watch >"$e2e/loads" &
    local watcher=$! got status; sleep 0.3 # its first load under way
    got=$("${@:2}" 2>&1) status=$?
    kill $watcher && wait $watcher
    echo "install test: $1: $got; $(cat "$e2e/loads")" | tee -a "$e2e/attacks"
    [ $status = 0 ] && grep -q "all back within a second" "$e2e/loads" || fail "$1: $got; $(cat "$e2e/loads")"
}
# The last reference to a socket that the service drops waits for its
# linger: a TCP socket lingering an hour on a full send buffer, carried by a
# load, by a message after it that is never read, or by a load whose
# connection closes at once. The pupil's listener goes after 2 s, and the
# linger with it.
for how in request second closed; do attack "a lingering socket attached ($how)" as $pupil "$client" fds $how 2; done
attack "a flood of connections that never read, from 8 processes" as $pupil "$client" flood 5 8
check "the service did not survive the flood" test "$(systemctl show -P MainPID sequilla-record.service)" = "$service"
check "the flood changed the record" test "$(record)" = "$before"
# Root kills the service 25 times while a pupil saves rising scores, each
# until answered: each load between, and the files after, hold a save whole.
as $pupil "$client" rising 1000 395 >"$e2e/rising" 2>&1 & saver=$! kills=0
while [ $kills -lt 25 ] && kill -0 $saver 2>/dev/null; do
    sleep 0.1 && systemctl kill -s KILL sequilla-record.service 2>/dev/null && ((++kills)); done
wait $saver && [ $kills = 25 ] && [ "$(record)" = "$(printf '1394\r\nx1394\r')" ] ||
    fail "the service killed $kills times: $(cat "$e2e/rising"); the record $(record)"
echo "install test: the service killed $kills times during 395 saves: $(cat "$e2e/rising")"
echo "install test: the attacks took ${SECONDS} s; another account's $(grep -o "[0-9]* loads" "$e2e/attacks" |
    awk '{ n += $1 } END { print n }') loads, the slowest $(grep -o '[0-9]* ms$' "$e2e/attacks" | sort -n | tail -n 1)"

# --- Without the service, the game says so and ends -------------------------
systemctl stop sequilla-record.socket
check "the game without its service" as "${users[0]}" env record_dir=$record_dir no_service=1 sound=1 reader=1 \
    "$e2e/own-session" "$e2e/match.sh" /usr/games/sequilla
systemctl start sequilla-record.socket

# --- Remove and purge ----------------------------------------------------------
rm -rf "$record_dir" && dpkg-reconfigure -f noninteractive sequilla >/dev/null 2>&1
check "dpkg-reconfigure did not make the record's folder again" test "$("$client" record)" = none
apt-get remove -y -q sequilla >/dev/null 2>&1
check "remove left the program or lost the record" test ! -e /usr/games/sequilla -a -f "$record_dir/quirel.txt"
check "remove left the socket" test ! -e /run/sequilla/record
dpkg --purge sequilla >/dev/null 2>&1
check "purge left $record_dir" test ! -e "$record_dir"

# --- Upgrades from the earlier packages, one class let play -----------------
# Each earlier version's own package (install.sh builds them), one class let
# play as its README said, and a record written as it wrote one: in place,
# by its set-group-id program, or through its service. The new package over
# it reads the record back and keeps the class: another class gets D, from a
# user namespace too (unless a chroot forbids one), and cannot start the game.
[ -d "${SEQUILLA_TEST_EARLIER:-}" ] || echo "install test: NOT RUN: the upgrades from earlier packages (none given)"
for old in ${SEQUILLA_TEST_EARLIER:+"$SEQUILLA_TEST_EARLIER"/*.deb}; do
    from=$(dpkg-deb -f "$old" Version) && apt-get install -y -q --no-install-recommends "$old" >/tmp/apt.log 2>&1 &&
        if [ "$from" = 0.1.0 ]; then # by the program's own group
            dpkg-statoverride --update --add root $class 2750 /usr/lib/sequilla/sequilla && dpkg-reconfigure sequilla
        else dpkg-statoverride --update --add root $class 0750 /usr/lib/sequilla; fi >/dev/null 2>&1 &&
        if [ -e /run/sequilla/record ]; then as "${users[0]}" "$client" rising 17 1 >/dev/null
        else printf '17\r\n' >"$record_dir/quirel.txt" && printf 'x17\r\n' >"$record_dir/nquirel.txt"; fi &&
        apt-get install -y -q --no-install-recommends "$deb" >/tmp/apt.log 2>&1 && configured ||
        fail "the upgrade from $from: $(tail -n 20 /tmp/apt.log)"
    got="the class loads $(as "${users[0]}" "$client" record); another: $(as $pupil "$client" record), from a user namespace $(
        as $pupil unshare --user --map-root-user "$client" record 2>&1), the game $(LC_ALL=C as $pupil /usr/games/sequilla 2>&1 | grep -o 'Permission denied')"
    [[ $got =~ ^"the class loads 17 x17; another: D, from a user namespace "(D|.*unshare\ failed.*)", the game Permission denied"$ ]] ||
        fail "the upgrade from $from: $got"
    echo "install test: upgraded from $from to $(dpkg-query -W -f='${Version}' sequilla): $got"
    dpkg --purge sequilla >/dev/null 2>&1 && dpkg-statoverride --remove /usr/lib/sequilla || fail "the purge after $from"
done
umount "$image"/* 2>/dev/null
echo "install test: passed"
