#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a school's admin uses it, in a real systemd: builds
# the package here, then boots this system's own systemd on an overlay of
# it (scripts/own-system), so that the machine itself is never changed,
# and runs the package test there (system.sh). Needs root; exits with 77
# when it is skipped.
#   install.sh SOURCE_DIR
set -u
source_dir=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "install test: skipped (needs root)"; exit 77; }
deb=$("$source_dir/scripts/package" 2>/dev/null) || { echo "FAIL: the package did not build"; exit 1; }
# What the test needs, where the system sees it (the checkout may be under
# /tmp, which the system mounts afresh).
stage=$(mktemp -d /var/tmp/sequilla-package-test.XXXXXX)
disk=
trap '[ -z "$disk" ] || losetup -d "$disk"; rm -rf "$stage"' EXIT
cp -r "$source_dir"/{tests,scripts} "$deb" "$stage" || exit 1
# A disk for the record to be written on, as the system writes all else to
# memory: a file system in a file of this one, when this system can.
disk=$({ truncate -s 64M "$stage/disk" && mkfs.ext4 -q "$stage/disk" && losetup -f --show "$stage/disk"; } 2>/dev/null)
"$source_dir/scripts/own-system" "$stage/tests/packaging/system.sh" "$stage" "$stage/$(basename "$deb")" $disk
