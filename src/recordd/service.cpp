// SPDX-License-Identifier: GPL-3.0-or-later
#include "service.h"

#include "recordfolder.h"
#include "request.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

void reply(int socket, const std::string &message)
{
    // The reply is the first message on a fresh connection: it always fits.
    ::send(socket, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

std::string failure(int error)
{
    return error == EWOULDBLOCK ? std::string("B") : "E" + std::to_string(error);
}

// One of the account's slots, held while the returned descriptor is open;
// invalid when all are taken.
UniqueFd takeSlot(const ServiceRules &rules, uid_t uid)
{
    for (int k = 0; k < rules.slotsPerAccount; ++k) {
        const std::string name = std::to_string(uid) + '.' + std::to_string(k);
        UniqueFd slot(::openat(rules.slotFolder, name.c_str(),
                               O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
        if (slot.valid() && ::flock(slot.get(), LOCK_EX | LOCK_NB) == 0)
            return slot;
    }
    return {};
}

// The request's message, when one comes within the limit; anything past
// the longest request is cut to one byte more.
std::optional<std::string> receive(int socket, std::chrono::milliseconds limit)
{
    pollfd incoming{socket, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&incoming, 1, int(limit.count()));
    while (ready < 0 && errno == EINTR);
    if (ready != 1)
        return std::nullopt;
    std::array<char, maxRequestBytes + 1> buffer{};
    // MSG_TRUNC: the whole length of a message too long for the buffer.
    const ssize_t got = ::recv(socket, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
    if (got <= 0)
        return std::nullopt;
    return std::string(buffer.data(), std::min(std::size_t(got), buffer.size()));
}

// The reply to request, built under the record's lock.
std::string answer(const Request &request, const ServiceRules &rules)
{
    if (rules.folder < 0)
        return failure(rules.folderError);
    int error = 0;
    const UniqueFd lock = lockRecord(rules.folder, rules.lockLimit, error);
    if (!lock.valid())
        return failure(error);
    Record record;
    bool malformed = false;
    if ((error = loadRecord(rules.folder, record, malformed)) != 0)
        return failure(error);
    if (malformed)
        std::fputs("sequilla-record: the record files hold no well-formed record; "
                   "the next save replaces them\n",
                   stderr);
    if (!request.save)
        return 'L' + (record.score ? std::to_string(*record.score) : std::string()) + ' ' +
               record.name;
    // Another match may have set a higher record since this one started.
    if (record.score && *record.score >= request.score)
        return "K";
    if ((error = saveRecord(rules.folder, Record{request.score, request.name})) != 0)
        return failure(error);
    return "W";
}

} // namespace

std::optional<Peer> peerOf(int socket)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    Peer peer{credentials.uid, credentials.gid, {}};
    std::vector<gid_t> groups(64);
    for (;;) {
        socklen_t bytes = socklen_t(groups.size() * sizeof(gid_t));
        if (::getsockopt(socket, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &bytes) == 0) {
            groups.resize(bytes / sizeof(gid_t));
            break;
        }
        if (errno != ERANGE)
            return std::nullopt;
        groups.resize(bytes / sizeof(gid_t));
    }
    peer.groups = std::move(groups);
    return peer;
}

bool mayPlay(const Peer &peer, mode_t folderMode, gid_t folderGroup)
{
    return (folderMode & S_IXOTH) != 0 || peer.uid == 0 || peer.gid == folderGroup ||
           std::ranges::find(peer.groups, folderGroup) != peer.groups.end();
}

void serveConnection(int socket, const ServiceRules &rules)
{
    UniqueFd slot;
    if (rules.programFolder || rules.slotFolder >= 0) {
        const std::optional<Peer> peer = peerOf(socket);
        struct stat program
        {
        };
        if (!peer)
            return reply(socket, failure(errno));
        if (rules.programFolder && (::stat(rules.programFolder, &program) != 0 ||
                                    !mayPlay(*peer, program.st_mode, program.st_gid)))
            return reply(socket, "D");
        if (rules.slotFolder >= 0 && !(slot = takeSlot(rules, peer->uid)).valid())
            return reply(socket, "B");
    }
    const std::optional<std::string> message = receive(socket, rules.requestLimit);
    if (!message)
        return; // nothing came in time, or the client left
    const std::optional<Request> request = parseRequest(*message);
    if (!request)
        return reply(socket, "R");
    // The lock is gone when answer returns: the reply never waits with it.
    reply(socket, answer(*request, rules));
}
