// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordkeeper.h"

#include "heldrecord.h"
#include "leadingnumber.h"
#include "timedlock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The next code point of a strict UTF-8 text (no overlong forms, no
// surrogates, nothing past U+10FFFF), or nothing.
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t &i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0 ? 3
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size())
        return std::nullopt;
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        point = point << 6 | (byte(i + k) & 0x3F);
    }
    constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
        return std::nullopt;
    i += length;
    return point;
}

bool isNameText(std::string_view name)
{
    if (name.size() > maxNameBytes)
        return false;
    for (std::size_t i = 0; i < name.size();) {
        const std::optional<char32_t> point = nextCodePoint(name, i);
        if (!point || *point < 0x20 || (*point >= 0x7F && *point < 0xA0) || *point == 0x2028 ||
            *point == 0x2029)
            return false;
    }
    return true;
}

std::optional<int> scoreDigits(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5 || (digits.size() > 1 && digits[0] == '0') ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int score = 0;
    for (const char c : digits)
        score = score * 10 + (c - '0');
    return score <= 32767 ? std::optional(score) : std::nullopt;
}

bool send(int socket, std::string_view message)
{
    return ::send(socket, message.data(), message.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(message.size());
}

bool sendFailure(int socket, char file, int error)
{
    return send(socket, std::string("E") + file + std::to_string(error));
}

// Up to keptFileBytes of the file, from its start; 0 or an errno value.
int readStart(int fd, std::string &bytes)
{
    bytes.resize(keptFileBytes);
    std::size_t size = 0;
    while (size < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + size, bytes.size() - size, off_t(size));
        if (got < 0 && errno != EINTR)
            return errno;
        if (got == 0)
            break;
        if (got > 0)
            size += std::size_t(got);
    }
    bytes.resize(size);
    return 0;
}

// Makes sure that size bytes can be written over the file from its start:
// within the file-size limit, and on disk, its blocks allocated (where the
// file system can tell), so that a full disk fails a save before a byte of
// either file changes. 0 or an errno value.
int reserve(int fd, std::size_t size)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        size > limit.rlim_cur)
        return EFBIG;
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) != 0 && errno != EOPNOTSUPP)
        return errno;
    return 0;
}

// The file becomes bytes, rewritten in place and synced; 0 or an errno value.
int rewrite(int fd, const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += std::size_t(written);
    }
    return ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0 ? 0 : errno;
}

// The score file's lock, released when it goes.
class RecordLock
{
public:
    RecordLock(int fd, bool exclusive, std::chrono::milliseconds limit)
        : m_fd(fd)
        , m_error(lockWithin(fd, exclusive, limit))
    {
    }
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;
    ~RecordLock()
    {
        if (m_error == 0)
            ::flock(m_fd, LOCK_UN);
    }
    // 0, or the reason the lock was not taken.
    int error() const { return m_error == EWOULDBLOCK ? LockTimedOut : m_error; }

private:
    int m_fd;
    int m_error;
};

bool load(int socket, int score, int name, std::chrono::milliseconds limit)
{
    std::string scoreBytes, nameBytes;
    {
        const RecordLock lock(score, false, limit);
        if (lock.error() != 0)
            return sendFailure(socket, '0', lock.error());
        if (const int error = readStart(score, scoreBytes))
            return sendFailure(socket, '0', error);
        if (const int error = readStart(name, nameBytes))
            return sendFailure(socket, '1', error);
    }
    return send(socket, 'S' + scoreBytes) && send(socket, 'N' + nameBytes);
}

bool save(int socket, int score, int name, const KeeperRequest &request,
          std::chrono::milliseconds limit)
{
    const RecordLock lock(score, true, limit);
    if (lock.error() != 0)
        return sendFailure(socket, '0', lock.error());
    // Another copy may have saved a higher score since this one started.
    std::string onDisk;
    if (const int error = readStart(score, onDisk))
        return sendFailure(socket, '0', error);
    if (leadingNumber(onDisk).value >= request.score)
        return send(socket, "K");
    // Both lines fit before either is written: a score never goes without
    // its name.
    const std::string scoreLine = std::to_string(request.score) + "\r\n";
    const std::string nameLine = request.name + "\r\n";
    if (const int error = reserve(score, scoreLine.size()))
        return sendFailure(socket, '0', error);
    if (const int error = reserve(name, nameLine.size()))
        return sendFailure(socket, '1', error);
    if (const int error = rewrite(score, scoreLine))
        return sendFailure(socket, '0', error);
    if (const int error = rewrite(name, nameLine))
        return sendFailure(socket, '1', error);
    return send(socket, "W");
}

// Closes every descriptor but the three the keeper works with: none of the
// window's, nor what the user's shell left open, stays in the keeper.
void keepOnly(std::array<int, 3> fds)
{
    std::ranges::sort(fds);
    unsigned from = 0;
    for (const int fd : fds) {
        if (unsigned(fd) > from)
            ::close_range(from, unsigned(fd) - 1, 0);
        from = unsigned(fd) + 1;
    }
    ::close_range(from, ~0U, 0);
}

[[noreturn]] void keep(int socket, int score, int name)
{
    // Not to be traced or dumped by the user, nor its files reopened
    // through /proc.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    keepOnly({socket, score, name});
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    serveRecord(socket, score, name, recordLockLimit);
    ::_exit(0);
}

} // namespace

std::optional<KeeperRequest> parseKeeperRequest(std::string_view message)
{
    if (message == "load")
        return KeeperRequest{};
    constexpr std::string_view verb = "save ";
    if (!message.starts_with(verb))
        return std::nullopt;
    message.remove_prefix(verb.size());
    const std::size_t blank = message.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const std::optional<int> score = scoreDigits(message.substr(0, blank));
    const std::string_view name = message.substr(blank + 1);
    if (!score || !isNameText(name))
        return std::nullopt;
    return KeeperRequest{true, *score, std::string(name)};
}

void serveRecord(int socket, int score, int name, std::chrono::milliseconds lockLimit)
{
    std::array<char, maxRequestBytes + 1> buffer{};
    for (;;) {
        // MSG_TRUNC: the whole length of a message too long for the buffer.
        const ssize_t got = ::recv(socket, buffer.data(), buffer.size(), MSG_TRUNC);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return; // the window is gone
        const std::optional<KeeperRequest> request =
            std::size_t(got) > maxRequestBytes
                ? std::nullopt
                : parseKeeperRequest(std::string_view(buffer.data(), std::size_t(got)));
        if (!request) {
            send(socket, "R");
            return;
        }
        if (!(request->save ? save(socket, score, name, *request, lockLimit)
                            : load(socket, score, name, lockLimit)))
            return;
    }
}

UniqueFd startRecordKeeper(UniqueFd score, UniqueFd name)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return {};
    UniqueFd window(ends[0]), keeper(ends[1]);
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        window = UniqueFd();
        keeper = UniqueFd();
        errno = error;
        return {};
    }
    if (pid == 0)
        keep(keeper.get(), score.get(), name.get());
    return window;
}
