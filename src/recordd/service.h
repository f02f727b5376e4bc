// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <sys/types.h>
#include <vector>

/// How one connection of the record service is served.
struct ServiceRules
{
    int folder = -1; // the record's folder, open; -1 when it could not be opened
    int folderError = 0;
    std::chrono::milliseconds requestLimit{5000}; // for the client's request to come
    std::chrono::milliseconds lockLimit{5000};    // for the record's lock
    /// Where each account's connections take a slot (an open directory), so
    /// that one account's many connections cannot starve another's; -1: no
    /// limit (the game's own child, in a build tree).
    int slotFolder = -1;
    int slotsPerAccount = 4;
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

/// Serves the one request of a connection: waits for it within the rules'
/// limit, answers it under the record's lock, lets the lock go, and only
/// then sends the reply, without waiting: a client that never reads costs
/// nothing but its own connection.
void serveConnection(int socket, const ServiceRules &rules);
