// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

// Plain C++ with no Qt, for the record keeper and the window alike.

/// How long a copy of the program waits for the record's lock: one that
/// another copy holds longer (a copy stopped while saving) costs this one
/// load or save, never the program.
inline constexpr std::chrono::milliseconds recordLockLimit{5000};

/// Takes an advisory lock (flock) on fd, shared or exclusive, waiting at most
/// limit for the copies that hold one that excludes it. Returns 0, EWOULDBLOCK
/// when the time ran out, or the errno of another failure.
int lockWithin(int fd, bool exclusive, std::chrono::milliseconds limit);
