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
    /// Where the ids that accounts may act as in namespaces of their own are
    /// given (/etc/subuid): all the ids of one range have one account's
    /// share. Null: each id is an account of its own.
    const char *subordinateIds = nullptr;
    /// Connections of all accounts together, further capped below the
    /// service's descriptor limit.
    std::size_t connections = 4096;
    /// Requests served at once, each in a process of its own.
    std::size_t workers = 64;
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

/// Serves the one request of a connection in this process: waits for it
/// within the rules' limit, and answers it.
void serveConnection(int socket, const ServiceRules &rules);

/// Serves the connections that come on listener, systemd's socket, one
/// request each, until nothing has come for idleLimit (none: forever).
///
/// This process only accepts, counts and hands over: it never reads a
/// client's message nor lets go of a client's last connection, since the
/// kernel drops whatever descriptors a client attached to them in the
/// process that does, and closing one (a socket set to linger) can take as
/// long as the client likes. A connection whose request has come is served
/// in a process of its own, killed past its time; those turned away (an
/// account that may not play or has its share open), and those whose
/// request did not come in time, are answered and closed by another. So a
/// client can make nobody wait but itself.
void serveListener(int listener, const ServiceRules &rules,
                   std::optional<std::chrono::milliseconds> idleLimit = std::nullopt);
