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
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

// Connections accepted before the open ones are looked at again.
constexpr int acceptsPerTurn = 64;

void reply(int socket, const std::string &message)
{
    // The reply is the one message sent on a connection: it always fits,
    // and never waits for the client to read.
    ::send(socket, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

std::string failure(int error)
{
    return error == EWOULDBLOCK ? std::string("B") : "E" + std::to_string(error);
}

// The message waiting on socket; anything past the longest request is cut
// to one byte more. Nothing when the client left.
std::optional<std::string> receive(int socket)
{
    std::array<char, maxRequestBytes + 1> buffer{};
    // MSG_TRUNC: the whole length of a message too long for the buffer.
    const ssize_t got = ::recv(socket, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
    if (got <= 0)
        return std::nullopt;
    return std::string(buffer.data(), std::min(std::size_t(got), buffer.size()));
}

// The reply to the message, built under the record's lock.
std::string answer(const std::string &message, const ServiceRules &rules)
{
    const std::optional<Request> request = parseRequest(message);
    if (!request)
        return "R";
    const UniqueFd folder(::open(rules.folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid())
        return failure(errno);
    int error = 0;
    const UniqueFd lock = lockRecord(folder.get(), rules.lockLimit, error);
    if (!lock.valid())
        return failure(error);
    Record record;
    bool malformed = false;
    if ((error = loadRecord(folder.get(), record, malformed)) != 0)
        return failure(error);
    if (malformed)
        std::fputs("sequilla-record: the record files hold no well-formed record; "
                   "the next save replaces them\n",
                   stderr);
    if (!request->save)
        return 'L' + (record.score ? std::to_string(*record.score) : std::string()) + ' ' +
               record.name;
    // Another match may have set a higher record since this one started.
    if (record.score && *record.score >= request->score)
        return "K";
    if ((error = saveRecord(folder.get(), Record{request->score, request->name})) != 0)
        return failure(error);
    return "W";
}

// Why the peer may not be served now, as a reply; "" when it may.
std::string refusal(const std::optional<Peer> &peer, const ServiceRules &rules,
                    std::size_t alreadyOpen)
{
    if (!peer)
        return failure(errno);
    struct stat program
    {
    };
    if (rules.programFolder && (::stat(rules.programFolder, &program) != 0 ||
                                !mayPlay(*peer, program.st_mode, program.st_gid)))
        return "D";
    if (alreadyOpen >= rules.connectionsPerAccount)
        return "B";
    return {};
}

struct Client
{
    UniqueFd socket;
    uid_t uid;
    Clock::time_point deadline;
};

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
    pollfd incoming{socket, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&incoming, 1, int(rules.requestLimit.count()));
    while (ready < 0 && errno == EINTR);
    if (ready != 1)
        return; // nothing came in time
    if (const std::optional<std::string> message = receive(socket))
        reply(socket, answer(*message, rules));
}

void serveListener(int listener, const ServiceRules &rules,
                   std::optional<std::chrono::milliseconds> idleLimit)
{
    // Accepting never waits: what is not there now is for the next turn.
    ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
    std::vector<Client> clients;
    std::vector<pollfd> watched;
    Clock::time_point idleSince = Clock::now();
    for (;;) {
        const Clock::time_point now = Clock::now();
        std::erase_if(clients, [&](const Client &client) { return client.deadline <= now; });
        if (clients.empty() && idleLimit && now - idleSince >= *idleLimit)
            return;
        // Wake for the nearest deadline, or the end of idleness.
        Clock::time_point wake = now + std::chrono::hours(1);
        for (const Client &client : clients)
            wake = std::min(wake, client.deadline);
        if (clients.empty() && idleLimit)
            wake = std::min(wake, idleSince + *idleLimit);
        watched.assign(1, pollfd{listener, POLLIN, 0});
        for (const Client &client : clients)
            watched.push_back(pollfd{client.socket.get(), POLLIN, 0});
        const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
        if (::poll(watched.data(), watched.size(), int(timeout.count())) < 0 && errno != EINTR)
            return;
        // Open connections first, one request each at most; each then closes.
        for (std::size_t i = clients.size(); i-- > 0;) {
            if (watched[i + 1].revents == 0)
                continue;
            if (const std::optional<std::string> message = receive(clients[i].socket.get()))
                reply(clients[i].socket.get(), answer(*message, rules));
            clients.erase(clients.begin() + std::ptrdiff_t(i));
        }
        // Then what waits to be accepted, in the order it came: a flood of
        // one account's is turned away as fast as it comes.
        for (int k = 0; k < acceptsPerTurn && (watched[0].revents & POLLIN); ++k) {
            UniqueFd socket(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
            if (!socket.valid())
                break;
            const std::optional<Peer> peer = peerOf(socket.get());
            const auto open = std::size_t(std::ranges::count_if(
                clients, [&](const Client &client) { return peer && client.uid == peer->uid; }));
            if (const std::string refused = refusal(peer, rules, open); !refused.empty()) {
                // A request left unread would reset the connection as it
                // closes, and the client would not read why.
                receive(socket.get());
                reply(socket.get(), refused);
            } else
                clients.push_back(
                    {std::move(socket), peer->uid, Clock::now() + rules.requestLimit});
        }
        if (!clients.empty())
            idleSince = Clock::now();
    }
}
