// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordfolder.h"

#include "leadingnumber.h"
#include "request.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <utility>

// Older C libraries name the thread a timer signals only by the field itself.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace {

constexpr const char *scoreFile = "quirel.txt";
constexpr const char *nameFile = "nquirel.txt";
constexpr const char *journal = ".journal";
constexpr const char *newJournal = ".journal.new";
constexpr std::array<const char *, 3> leftovers = {newJournal, ".quirel.txt.new",
                                                   ".nquirel.txt.new"};
constexpr std::size_t readLimit = maxFileBytes;

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

// The journal's record, both lines in one file, as the service writes them.
std::optional<Record> parseJournal(std::string_view bytes)
{
    const std::size_t end = bytes.find("\r\n");
    if (end == std::string_view::npos || !bytes.ends_with("\r\n") || bytes.size() < end + 4)
        return std::nullopt;
    const std::optional<int> score = scoreDigits(bytes.substr(0, end));
    const std::string_view name = bytes.substr(end + 2, bytes.size() - end - 4);
    if (!score || !isName(name))
        return std::nullopt;
    return Record{score, std::string(name)};
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

// Finishes the save a journal holds, which it reads into journaled. What an
// unfinished save left goes where it can: the next save writes over it.
int recover(int folder, Steps &steps, std::optional<Record> &journaled)
{
    for (const char *leftover : leftovers)
        ::unlinkat(folder, leftover, 0);
    std::string bytes;
    const int error = readFile(folder, journal, bytes);
    if (error == ENOENT)
        return 0;
    if (error != 0)
        return error;
    journaled = parseJournal(bytes);
    if (journaled)
        return apply(folder, *journaled, steps);
    // Only a whole, synced journal is ever renamed into place: this one
    // was damaged on disk, and the files still hold the record before it.
    if (::unlinkat(folder, journal, 0) == 0)
        syncFolder(folder);
    return 0;
}

// Makes the file, empty, where it is missing and the disk lets it.
void ensureFile(int folder, const char *name)
{
    int error = 0;
    const UniqueFd fd = openRegular(folder, name, O_RDONLY | O_CREAT, error);
}

void interrupt(int) {}

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
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
        return fd;
    if (errno != EWOULDBLOCK || limit.count() <= 0) {
        error = errno;
        return {};
    }
    // Waiting in the kernel's queue, not trying again now and then, so that
    // a flood of saves, each taking the lock as the last lets go, cannot pass
    // a load by for ever. flock has no time limit of its own: a timer's
    // signal, to this thread alone, ends the wait.
    const int wake = SIGRTMIN + 1;
    struct sigaction action
    {
    };
    action.sa_handler = interrupt; // without SA_RESTART: the wait ends with EINTR
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = wake;
    event.sigev_notify_thread_id = ::gettid();
    timer_t timer{};
    if (::sigaction(wake, &action, nullptr) != 0 ||
        ::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0) {
        error = errno;
        return {};
    }
    const auto seconds = std::chrono::floor<std::chrono::seconds>(limit);
    itimerspec when{};
    when.it_value = {time_t(seconds.count()), long((limit - seconds).count()) * 1000000};
    int result = ::timer_settime(timer, 0, &when, nullptr) == 0 ? 0 : errno;
    while (result == 0 && ::flock(fd.get(), LOCK_EX) != 0) {
        // Another signal may end the wait too: only the timer's ends it for good.
        if (errno != EINTR || (::timer_gettime(timer, &when) == 0 && when.it_value.tv_sec == 0 &&
                               when.it_value.tv_nsec == 0))
            result = errno == EINTR ? EWOULDBLOCK : errno;
    }
    ::timer_delete(timer);
    error = result;
    return result == 0 ? std::move(fd) : UniqueFd();
}

double recordScore(const RecordTexts &texts)
{
    return leadingNumber(texts.score).value;
}

int loadRecord(int folder, RecordTexts &texts, const StepHook &hook)
{
    Steps steps(hook);
    std::optional<Record> journaled;
    if (const int error = recover(folder, steps, journaled); error != 0) {
        if (!journaled)
            return error;
        // The files could not take the journal's record, which stands all
        // the same: the next request that can finishes the save.
        texts = {scoreLine(*journaled), nameLine(*journaled)};
        return 0;
    }
    RecordTexts read;
    for (const auto &[file, text] :
         {std::pair(scoreFile, &read.score), std::pair(nameFile, &read.name)}) {
        ensureFile(folder, file);
        if (const int error = readFile(folder, file, *text); error != 0 && error != ENOENT)
            return error;
        *text = fromAnsi(*text);
    }
    const double score = recordScore(read);
    if (score < -32768 || score > 32767) {
        std::fputs("sequilla-record: the score file holds no score of 16 bits; "
                   "the next save replaces the record\n",
                   stderr);
        read = {};
    }
    texts = std::move(read);
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
    const std::string utf8 = fromAnsi(firstLine(name));
    const std::string_view kept = cutAtCharacter(utf8, maxNameBytes);
    return {*value, isName(kept) ? std::string(kept) : std::string()};
}
