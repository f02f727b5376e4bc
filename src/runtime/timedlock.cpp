// SPDX-License-Identifier: GPL-3.0-or-later
#include "timedlock.h"

#include <cerrno>
#include <sys/file.h>
#include <thread>

int lockWithin(int fd, bool exclusive, std::chrono::milliseconds limit)
{
    // flock has no time-out of its own: try without waiting, a little at a
    // time, which costs nothing while the lock is free.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + limit;
    for (;;) {
        if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0)
            return 0;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno;
        if (Clock::now() >= end)
            return EWOULDBLOCK;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
