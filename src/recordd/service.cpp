// SPDX-License-Identifier: GPL-3.0-or-later
#include "service.h"

#include "recordfolder.h"
#include "request.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <poll.h>
#include <string>
// glibc 2.36's header declares its functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using Clock = std::chrono::steady_clock;

// Connections accepted before the open ones are looked at again.
constexpr int acceptsPerTurn = 64;
// Descriptors of the service's own besides the connections it holds: its
// socket, a worker's pidfd each, a turn's refusals, those of a new worker.
constexpr std::size_t ownDescriptors = 16 + acceptsPerTurn;
// For a process that only answers refusals and closes.
constexpr std::chrono::seconds closingLimit{2};
// After running out of descriptors or memory, accepting waits this long.
constexpr std::chrono::milliseconds acceptPause{100};

void reply(int socket, const std::string &message)
{
    // The reply is the one message sent on a connection: it always fits,
    // and never waits for the client to read.
    ::send(socket, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

Reply failure(int error)
{
    return error == EWOULDBLOCK ? Reply{Reply::Busy} : Reply{Reply::Failed, {}, {}, error};
}

// The message waiting on socket; anything past the longest request is cut
// to one byte more. Nothing when the client left. Descriptors a client
// attached are never taken: the kernel drops them here.
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
Reply answer(const std::string &message, const ServiceRules &rules)
{
    const std::optional<Request> request = parseRequest(message);
    if (!request)
        return {Reply::Refused};
    const UniqueFd folder(::open(rules.folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid())
        return failure(errno);
    int error = 0;
    const UniqueFd lock = lockRecord(folder.get(), rules.lockLimit, error);
    if (!lock.valid())
        return failure(error);
    RecordTexts texts;
    if ((error = loadRecord(folder.get(), texts)) != 0)
        return failure(error);
    if (!request->save)
        return {Reply::Loaded, std::move(texts.score), std::move(texts.name)};
    // Another match may have set a higher record since this one started.
    if (recordScore(texts) >= request->score)
        return {Reply::Kept};
    if ((error = saveRecord(folder.get(), Record{request->score, request->name})) != 0)
        return failure(error);
    return {Reply::Written};
}

// Why the peer may not be served now, as a reply; "" when it may.
std::string refusal(const std::optional<Peer> &peer, const ServiceRules &rules,
                    std::size_t alreadyOpen)
{
    if (!peer)
        return encodeReply(failure(errno));
    struct stat program
    {
    };
    if (rules.programFolder && (::stat(rules.programFolder, &program) != 0 ||
                                !mayPlay(*peer, program.st_mode, program.st_gid)))
        return encodeReply({Reply::Denied});
    if (alreadyOpen >= rules.connectionsPerAccount)
        return encodeReply({Reply::Busy});
    return {};
}

// Closes every descriptor from 3 on but those kept.
void closeAllBut(std::vector<int> kept)
{
    std::ranges::sort(kept);
    unsigned first = 3;
    for (const int fd : kept) {
        if (unsigned(fd) > first)
            ::close_range(first, unsigned(fd) - 1, 0);
        first = std::max(first, unsigned(fd) + 1);
    }
    ::close_range(first, ~0U, 0);
}

// The ranges of ids that a file like /etc/subuid gives to accounts, a line
// "account:first:count" each, read again when it changes. newuidmap lets an
// account act as any id of its range, in a namespace of its own.
class SubordinateIds
{
public:
    explicit SubordinateIds(const char *path)
        : m_path(path)
    {
    }

    /// The id that uid is counted as: the first of the range that holds it,
    /// so that all of one account's ids have one share; else uid itself.
    uid_t accountOf(uid_t uid)
    {
        refresh();
        for (const auto &[first, count] : m_ranges)
            if (uid >= first && uid - first < count)
                return first;
        return uid;
    }

private:
    void refresh()
    {
        struct stat info
        {
        };
        if (!m_path || ::stat(m_path, &info) != 0) {
            m_ranges.clear();
            return;
        }
        if (info.st_mtim.tv_sec == m_changed.tv_sec && info.st_mtim.tv_nsec == m_changed.tv_nsec)
            return;
        m_changed = info.st_mtim;
        m_ranges.clear();
        std::ifstream file(m_path);
        unsigned long first = 0, count = 0;
        for (std::string line; std::getline(file, line);)
            if (std::sscanf(line.c_str(), "%*[^:]:%lu:%lu", &first, &count) == 2)
                m_ranges.emplace_back(uid_t(first), uid_t(count));
    }

    const char *m_path;
    timespec m_changed{};
    std::vector<std::pair<uid_t, uid_t>> m_ranges; // first id, count
};

// A connection accepted and counted, whose request has not come yet.
struct Waiting
{
    UniqueFd socket;
    uid_t uid;
    Clock::time_point deadline;
};

// A process of the service's that holds connections of its own.
struct Worker
{
    pid_t pid;
    UniqueFd pidfd;           // readable once the process has ended
    std::optional<uid_t> uid; // the account it serves; none: it only closes
    Clock::time_point deadline;
    bool killed = false;
};

// Runs work in a new process that takes the connections over: this process
// closes its copies before that one may end, so the last copy of each, and
// whatever a client attached to it, is let go of there. Nothing when no
// process could be made; the connections then stay here.
std::optional<Worker> startWorker(std::vector<UniqueFd> &connections, std::optional<uid_t> uid,
                                  Clock::duration limit, const std::function<void()> &work)
{
    int released[2];
    if (::pipe2(released, O_CLOEXEC) != 0)
        return std::nullopt;
    const UniqueFd releasedEnd(released[0]);
    UniqueFd releasing(released[1]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<int> kept{released[0]};
        for (const UniqueFd &connection : connections)
            kept.push_back(connection.get());
        closeAllBut(std::move(kept));
        work();
        pollfd waited{released[0], POLLIN, 0};
        ::poll(&waited, 1, 1000); // the end of file: the service let go of its copies
        ::_exit(0);
    }
    if (pid < 0)
        return std::nullopt;
    UniqueFd pidfd(::pidfd_open(pid, 0));
    connections.clear();
    releasing.close();
    return Worker{pid, std::move(pidfd), uid, Clock::now() + limit};
}

// How many connections of uid are waiting, ready or being served.
std::size_t openOf(uid_t uid, const std::vector<Waiting> &waiting,
                   const std::vector<Waiting> &ready, const std::vector<Worker> &workers)
{
    return std::size_t(
        std::ranges::count(waiting, uid, &Waiting::uid) +
        std::ranges::count(ready, uid, &Waiting::uid) +
        std::ranges::count_if(workers, [&](const Worker &worker) { return worker.uid == uid; }));
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
    pollfd incoming{socket, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&incoming, 1, int(rules.requestLimit.count()));
    while (ready < 0 && errno == EINTR);
    if (ready != 1)
        return; // nothing came in time
    if (const std::optional<std::string> message = receive(socket))
        reply(socket, encodeReply(answer(*message, rules)));
}

void serveListener(int listener, const ServiceRules &rules,
                   std::optional<std::chrono::milliseconds> idleLimit)
{
    // Accepting never waits: what is not there now is for the next turn.
    ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    const std::size_t own = ownDescriptors + rules.workers;
    const std::size_t limit =
        std::min<std::size_t>(rules.connections, files.rlim_cur > own ? files.rlim_cur - own : 1);
    std::vector<Waiting> waiting, ready; // ready: the request came, or the client left
    std::vector<Worker> workers;
    std::vector<UniqueFd> closing;    // turned away, or silent past their time
    std::vector<std::string> reasons; // for each of closing; "" closes alone
    std::vector<pollfd> watched;
    SubordinateIds accounts(rules.subordinateIds);
    Clock::time_point idleSince = Clock::now(), acceptFrom = idleSince;
    for (;;) {
        Clock::time_point now = Clock::now();
        for (Worker &worker : workers)
            if (worker.deadline <= now && !worker.killed)
                worker.killed = ::pidfd_send_signal(worker.pidfd.get(), SIGKILL, nullptr, 0) == 0 ||
                                ::kill(worker.pid, SIGKILL) == 0;
        for (Waiting &connection : waiting)
            if (connection.deadline <= now) {
                closing.push_back(std::move(connection.socket));
                reasons.emplace_back();
            }
        std::erase_if(waiting,
                      [](const Waiting &connection) { return !connection.socket.valid(); });
        // The ready, in the order they came, while there are workers to spare.
        while (!ready.empty() && workers.size() < rules.workers) {
            std::vector<UniqueFd> handed;
            handed.push_back(std::move(ready.front().socket));
            const int socket = handed.front().get();
            std::optional<Worker> worker =
                startWorker(handed, ready.front().uid, rules.lockLimit + closingLimit,
                            [&] { serveConnection(socket, rules); });
            if (!worker) {
                ready.front().socket = std::move(handed.front());
                acceptFrom = now + acceptPause;
                break;
            }
            workers.push_back(std::move(*worker));
            ready.erase(ready.begin());
        }
        if (!closing.empty()) {
            const std::vector<std::string> said = reasons;
            std::vector<int> sockets(closing.size());
            std::ranges::transform(closing, sockets.begin(), &UniqueFd::get);
            std::optional<Worker> closer = startWorker(closing, std::nullopt, closingLimit, [&] {
                for (std::size_t i = 0; i < sockets.size(); ++i)
                    if (!said[i].empty()) {
                        // A request left unread would reset the
                        // connection, and the client would not read why.
                        receive(sockets[i]);
                        reply(sockets[i], said[i]);
                    }
            });
            if (closer) {
                workers.push_back(std::move(*closer));
                reasons.clear();
            } else
                acceptFrom = now + acceptPause;
        }
        const std::size_t held = waiting.size() + ready.size() + closing.size();
        if (held + workers.size() == 0) {
            if (idleLimit && now - idleSince >= *idleLimit)
                return;
        } else
            idleSince = now;
        // The socket is looked at only while there is room: a full service
        // leaves new connections in its queue, and never spins on them.
        const bool accepting = held + workers.size() < limit && now >= acceptFrom;
        Clock::time_point wake = accepting ? now + std::chrono::hours(1) : now + acceptPause;
        for (const Waiting &connection : waiting)
            wake = std::min(wake, connection.deadline);
        for (const Worker &worker : workers)
            wake = std::min(wake, worker.killed ? now + acceptPause : worker.deadline);
        if (idleLimit && held + workers.size() == 0)
            wake = std::min(wake, idleSince + *idleLimit);
        watched.assign(1, pollfd{accepting ? listener : -1, POLLIN, 0});
        for (const Worker &worker : workers)
            watched.push_back(pollfd{worker.pidfd.get(), POLLIN, 0});
        for (const Waiting &connection : waiting)
            watched.push_back(pollfd{connection.socket.get(), POLLIN, 0});
        const auto timeout = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
        if (::poll(watched.data(), watched.size(), int(std::max<long>(timeout.count(), 0))) < 0 &&
            errno != EINTR)
            return;
        now = Clock::now();
        // Whatever was held until now: the idle time starts after it.
        if (held + workers.size() != 0)
            idleSince = now;
        // Workers that ended are reaped; waiting connections whose request
        // came, or whose client left, are ready.
        const std::size_t workerCount = workers.size();
        for (std::size_t i = 0; i < waiting.size(); ++i)
            if (watched[1 + workerCount + i].revents != 0)
                ready.push_back(std::move(waiting[i]));
        std::erase_if(waiting,
                      [](const Waiting &connection) { return !connection.socket.valid(); });
        for (std::size_t i = workerCount; i-- > 0;)
            if (::waitpid(workers[i].pid, nullptr, WNOHANG) == workers[i].pid)
                workers.erase(workers.begin() + std::ptrdiff_t(i));
        // Then what waits to be accepted, in the order it came: a flood of
        // one account's is turned away as fast as it comes.
        for (int k = 0; k < acceptsPerTurn && (watched[0].revents & POLLIN); ++k) {
            UniqueFd socket(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
            if (!socket.valid()) {
                if (errno != EAGAIN && errno != EINTR && errno != ECONNABORTED)
                    acceptFrom = now + acceptPause; // out of descriptors or memory
                break;
            }
            const std::optional<Peer> peer = peerOf(socket.get());
            const uid_t account = peer ? accounts.accountOf(peer->uid) : 0;
            const std::size_t open = peer ? openOf(account, waiting, ready, workers) : 0;
            if (std::string refused = refusal(peer, rules, open); !refused.empty()) {
                closing.push_back(std::move(socket));
                reasons.push_back(std::move(refused));
            } else
                waiting.push_back({std::move(socket), account, now + rules.requestLimit});
        }
    }
}
