// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordfolder.h"

#include "request.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr const char *scoreFile = "quirel.txt";
constexpr const char *nameFile = "nquirel.txt";
constexpr const char *journal = ".journal";
constexpr const char *newJournal = ".journal.new";
constexpr std::array<const char *, 3> leftovers = {newJournal, ".quirel.txt.new",
                                                   ".nquirel.txt.new"};
// Longer than any well-formed file of the record; more is malformed.
constexpr std::size_t readLimit = 512;

// Steps of a save, as the hook numbers them.
class Steps
{
public:
    explicit Steps(const StepHook &hook)
        : m_hook(hook)
    {
    }
    // error, after calling the hook for the step that just succeeded.
    int done(int error = 0)
    {
        if (error == 0 && m_hook)
            m_hook(++m_count);
        return error;
    }

private:
    const StepHook &m_hook;
    int m_count = 0;
};

int syncFolder(int folder)
{
    return ::fsync(folder) == 0 ? 0 : errno;
}

// Opens name in folder as a regular file, never through a link or a fifo.
UniqueFd openRegular(int folder, const char *name, int flags, int &error)
{
    UniqueFd fd(
        ::openat(folder, name, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    struct stat info
    {
    };
    if (!fd.valid())
        error = errno;
    else if (::fstat(fd.get(), &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    else
        return fd;
    return {};
}

// Up to limit bytes of the file's start into bytes; 0 or an errno value.
int readFile(int folder, const char *name, std::string &bytes, std::size_t limit = readLimit,
             bool single = false)
{
    int error = 0;
    const UniqueFd fd = openRegular(folder, name, O_RDONLY, error);
    if (!fd.valid())
        return error;
    struct stat info
    {
    };
    if (single && (::fstat(fd.get(), &info) != 0 || info.st_nlink != 1))
        return EMLINK;
    bytes.resize(limit);
    std::size_t size = 0;
    while (size < limit) {
        const ssize_t got = ::read(fd.get(), bytes.data() + size, limit - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        size += std::size_t(got);
    }
    bytes.resize(size);
    return 0;
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes.remove_prefix(std::size_t(written));
    }
    return 0;
}

// Writes bytes to the new file temporary and syncs it; on a failure the
// file goes. 0 or an errno value.
int writeSynced(int folder, const char *temporary, std::string_view bytes)
{
    int error = 0;
    UniqueFd fd = openRegular(folder, temporary, O_WRONLY | O_CREAT | O_TRUNC, error);
    if (fd.valid()) {
        error = writeAll(fd.get(), bytes);
        if (error == 0 && ::fsync(fd.get()) != 0)
            error = errno;
        if (fd.close() != 0 && error == 0)
            error = errno;
    }
    if (error != 0)
        ::unlinkat(folder, temporary, 0);
    return error;
}

int replaceFile(int folder, const char *name, std::string_view bytes, Steps &steps)
{
    const std::string temporary = std::string(".") + name + ".new";
    if (const int error = steps.done(writeSynced(folder, temporary.c_str(), bytes)))
        return error;
    return steps.done(::renameat(folder, temporary.c_str(), folder, name) == 0 ? 0 : errno);
}

std::string scoreLine(const Record &record)
{
    return std::to_string(record.score.value_or(0)) + "\r\n";
}

std::string nameLine(const Record &record)
{
    return record.name + "\r\n";
}

// The record of the two files' bytes, or nothing when they hold no
// well-formed one. Empty files are no record.
std::optional<Record> parseFiles(std::string_view score, std::string_view name)
{
    if (score.empty())
        return Record{};
    if (!score.ends_with("\r\n") || !(name.empty() || name.ends_with("\r\n")))
        return std::nullopt;
    score.remove_suffix(2);
    if (!name.empty())
        name.remove_suffix(2);
    const std::optional<int> value = scoreDigits(score);
    if (!value || !isName(name))
        return std::nullopt;
    return Record{value, std::string(name)};
}

// The journal's record, both lines in one file.
std::optional<Record> parseJournal(std::string_view bytes)
{
    const std::size_t end = bytes.find("\r\n");
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::optional<Record> record =
        parseFiles(bytes.substr(0, end + 2), bytes.substr(end + 2));
    return record && record->score ? record : std::nullopt;
}

// The two files take the journal's record; then the journal goes.
int apply(int folder, const Record &record, Steps &steps)
{
    if (const int error = replaceFile(folder, scoreFile, scoreLine(record), steps))
        return error;
    if (const int error = replaceFile(folder, nameFile, nameLine(record), steps))
        return error;
    if (const int error = steps.done(syncFolder(folder)))
        return error;
    if (const int error = steps.done(::unlinkat(folder, journal, 0) == 0 ? 0 : errno))
        return error;
    return steps.done(syncFolder(folder));
}

int recover(int folder, Steps &steps)
{
    for (const char *leftover : leftovers)
        if (::unlinkat(folder, leftover, 0) != 0 && errno != ENOENT)
            return errno;
    std::string bytes;
    const int error = readFile(folder, journal, bytes);
    if (error == ENOENT)
        return 0;
    if (error != 0)
        return error;
    if (const std::optional<Record> record = parseJournal(bytes))
        return apply(folder, *record, steps);
    // Only a whole, synced journal is ever renamed into place: this one
    // was damaged on disk, and the files still hold the record before it.
    return ::unlinkat(folder, journal, 0) == 0 ? syncFolder(folder) : errno;
}

int ensureFile(int folder, const char *name)
{
    int error = 0;
    const UniqueFd fd = openRegular(folder, name, O_RDONLY | O_CREAT, error);
    return error;
}

// A file's first line, without its line end; the whole text when it has none.
std::string_view firstLine(std::string_view text)
{
    text = text.substr(0, text.find('\n'));
    if (text.ends_with('\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

UniqueFd lockRecord(int folder, std::chrono::milliseconds limit, int &error)
{
    UniqueFd fd(
        ::openat(folder, ".lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!fd.valid()) {
        error = errno;
        return fd;
    }
    // flock has no time limit of its own: try without waiting, a little at
    // a time, which costs nothing while the lock is free.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + limit;
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error = errno;
            return {};
        }
        if (Clock::now() >= end) {
            error = EWOULDBLOCK;
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return fd;
}

int loadRecord(int folder, Record &record, bool &malformed, const StepHook &hook)
{
    Steps steps(hook);
    if (const int error = recover(folder, steps))
        return error;
    std::string score, name;
    for (const char *file : {scoreFile, nameFile})
        if (const int error = ensureFile(folder, file))
            return error;
    if (const int error = readFile(folder, scoreFile, score))
        return error;
    if (const int error = readFile(folder, nameFile, name))
        return error;
    const std::optional<Record> read = parseFiles(score, name);
    malformed = !read;
    record = read.value_or(Record{});
    return 0;
}

int saveRecord(int folder, const Record &record, const StepHook &hook)
{
    Steps steps(hook);
    if (const int error =
            steps.done(writeSynced(folder, newJournal, scoreLine(record) + nameLine(record))))
        return error;
    if (const int error =
            steps.done(::renameat(folder, newJournal, folder, journal) == 0 ? 0 : errno))
        return error;
    // From here on the new record stands, whatever happens next.
    if (const int error = steps.done(syncFolder(folder)))
        return error;
    return apply(folder, record, steps);
}

Record importRecord(int oldFolder)
{
    std::string score, name;
    if (readFile(oldFolder, scoreFile, score, 4096, true) != 0)
        return {};
    const std::optional<int> value = scoreDigits(firstLine(score));
    if (!value)
        return {};
    if (readFile(oldFolder, nameFile, name, 4096, true) != 0)
        return {*value, {}};
    const std::string_view kept = cutAtCharacter(firstLine(name), maxNameBytes);
    return {*value, isName(kept) ? std::string(kept) : std::string()};
}
