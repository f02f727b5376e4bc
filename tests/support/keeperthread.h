// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/recordkeeper.h"

#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <thread>

/// A file open for reading and writing, as the installed game holds a record file.
inline UniqueFd openForKeeping(const QString &path)
{
    return UniqueFd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC));
}

/// The record keeper of the files at scorePath and namePath, in a thread of
/// the test as in a child process of the installed game; it ends with this.
class KeeperThread
{
public:
    KeeperThread(const QString &scorePath, const QString &namePath, std::chrono::milliseconds limit)
        : m_score(openForKeeping(scorePath))
        , m_name(openForKeeping(namePath))
    {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) == 0) {
            m_window = UniqueFd(ends[0]);
            m_keeper = UniqueFd(ends[1]);
        }
        m_thread = std::thread(serveRecord, m_keeper.get(), m_score.get(), m_name.get(), limit);
    }
    ~KeeperThread()
    {
        ::shutdown(m_keeper.get(), SHUT_RDWR);
        m_thread.join();
    }
    /// The window's end of the socket, for the caller to keep.
    UniqueFd window() { return std::move(m_window); }

private:
    UniqueFd m_score, m_name, m_window, m_keeper;
    std::thread m_thread;
};
