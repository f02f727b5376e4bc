// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <sys/types.h>
#include <vector>

/// How the record service serves its connections.
struct ServiceRules
{
    /// The record's folder, opened anew for each request, so that an admin
    /// may put a new one in place while the service runs.
    const char *folder = nullptr;
    std::chrono::milliseconds requestLimit{5000}; // for a client's request to come
    std::chrono::milliseconds lockLimit{5000};    // for the record's lock
    /// Connections one account may have open at once: its many connections
    /// cannot crowd out another account's.
    std::size_t connectionsPerAccount = 4;
    /// The folder of the game's program: when it is closed to others, only
    /// root and its group may play, and so reach the record; null: anyone.
    /// A folder that cannot be looked at lets nobody in.
    const char *programFolder = nullptr;
};

/// The account at the other end of a connection, as the kernel vouches for it.
struct Peer
{
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups; // supplementary
};

/// The peer of a connected socket, or nothing (errno set).
std::optional<Peer> peerOf(int socket);

/// Whether peer may play the game in the folder of the given mode and group:
/// anyone where others may enter it; else root and the group's members.
bool mayPlay(const Peer &peer, mode_t folderMode, gid_t folderGroup);

/// Serves the one request of a connection that nobody else uses (the game's
/// own child, in a build tree): waits for it within the rules' limit, and
/// answers it.
void serveConnection(int socket, const ServiceRules &rules);

/// Serves the connections that come on listener, systemd's socket, one
/// request each, until nothing has come for idleLimit (none: forever). A
/// connection whose account may not play, or has its share open already,
/// is answered and closed at once; one whose request does not come in time
/// is closed. Each reply is built under the record's lock, the lock goes,
/// and only then is the reply sent, without waiting: a client that never
/// reads, or floods, costs nothing but its own connections.
void serveListener(int listener, const ServiceRules &rules,
                   std::optional<std::chrono::milliseconds> idleLimit = std::nullopt);
