#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a school's admin uses it, in a real systemd: builds
# the package here, twice, from copies of the tree in two folders, at two
# times and under two umasks, which must give the same .deb byte for byte;
# checks Debian's hardening in both programs and its build flags in the
# build's log; runs lintian on the source and binary packages; builds the
# packages of the earlier versions (scripts/package-earlier); then boots
# this system's own systemd on an overlay of it (scripts/own-system), so
# that the machine itself is never changed, and runs the package test there
# through autopkgtest (debian/tests: system.sh). Needs root; exits with 77
# when it is skipped.
#   install.sh SOURCE_DIR
set -u
source_dir=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "install test: skipped (needs root)"; exit 77; }
deb=$("$source_dir/scripts/package" 2>/dev/null) || { echo "FAIL: the package did not build"; exit 1; }
# What the test needs, where the system sees it (the checkout may be under
# /tmp, which the system mounts afresh).
stage=$(mktemp -d /var/tmp/sequilla-package-test.XXXXXX)
trap 'rm -rf "$stage"' EXIT
tar -C "$source_dir" --exclude=./build --mtime=@1 -c . | tar -x -C "$stage" && again=$(umask 077 && "$stage/scripts/package" 2>/dev/null) &&
    cmp -s "$deb" "$again" || { echo "FAIL: two builds of one tree differ: $(sha256sum "$deb" "${again:-}")"; exit 1; }
echo "install test: built twice, the same package: $(sha256sum "$deb" "$again" | cut -c 1-64 | uniq -c | xargs)"
# Both programs with all of Debian's hardening (five checks each: the others
# are for other processors, or for flags Debian 12 does not give), and every
# compiler line of the build (which prints them) with Debian's build flags.
dpkg-deb -x "$deb" "$stage/files" && hard=$(hardening-check "$stage"/files/usr/lib*/sequilla/sequilla*)
[ "$(grep -cE '^ (Position Independent Executable|Stack protected|Fortify Source functions|Read-only relocations|Immediate binding): yes' <<<"$hard")" = 10 ] &&
    blhc --all "${deb%/*}/build.log" || { echo "FAIL: hardening: $hard"; exit 1; }
# lintian checks the desktop entry and runs AppStream's validator on the
# metadata. AppStream 1.0 (Debian 13) warns that no homepage is given, as
# Sequilla has none to give, which is left out there; lintian 2.116 (Debian
# 12) does not know that tag.
[[ $(appstreamcli --version) = *" 0."* ]] && no_homepage=() || no_homepage=(--suppress-tags appstream-metadata-validation-failed)
lint=$(lintian --fail-on error,warning,pedantic --pedantic "${no_homepage[@]}" "${deb%_*}"_*.changes 2>&1) ||
    { echo "FAIL: lintian: $(grep -v 'with root privileges' <<<"$lint")"; exit 1; }
# The packages of the earlier versions, each built as it built itself, for
# the package test to upgrade from.
SECONDS=0 && "$source_dir/scripts/package-earlier" "$stage/earlier" >/dev/null || { echo "FAIL: an earlier version did not build"; exit 1; }
echo "install test: the packages of 0.1.0, 0.2.0 and CPack's last 0.3.0~dev built in $SECONDS s: $(cd "$stage/earlier" && echo *.deb)"
# The null runner runs the test on the system it starts in, here one booted
# for the test alone: a machine of the test's own, which autopkgtest 5.48 and
# later (Debian 13) must be told, as their null runner no longer offers one.
"$source_dir/scripts/own-system" autopkgtest --ignore-restrictions=isolation-machine --env=SEQUILLA_TEST_EARLIER="$stage/earlier" "${again%_*}".dsc "$again" -- null
