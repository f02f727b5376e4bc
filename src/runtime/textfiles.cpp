// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfiles.h"

#include "failure.h"
#include "timedlock.h"
#include "uniquefd.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t shared = 0666;

// Windows-1252 is Latin-1 but for 0x80..0x9F; the five bytes it leaves
// undefined read as U+FFFD.
QString fromWindows1252(const QByteArray &bytes)
{
    static constexpr char16_t c1[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? c1[byte - 0x80] : char16_t(byte));
    }
    return text;
}

[[noreturn]] void failErrno(const QString &path, int error)
{
    failFile(path, QString::fromLocal8Bit(std::strerror(error)));
}

[[noreturn]] void failNotRegular(const QString &path, const struct stat &info)
{
    if (S_ISLNK(info.st_mode))
        failFile(path, QStringLiteral("è un collegamento simbolico, non un file"));
    if (S_ISDIR(info.st_mode))
        failFile(path, QStringLiteral("è una cartella, non un file"));
    failFile(path, QStringLiteral("non è un file normale"));
}

// Opens without following a symbolic link and without blocking on a fifo,
// then makes sure that what was opened is a regular file.
UniqueFd openRegular(const QString &path, int flags)
{
    const QByteArray native = QFile::encodeName(path);
    UniqueFd fd(::open(native.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        // Say what stands there when it is not a file (a link, a directory,
        // a fifo with nobody reading it), else why the file would not open.
        const int error = errno;
        struct stat info
        {
        };
        if (::lstat(native.constData(), &info) == 0 && !S_ISREG(info.st_mode))
            failNotRegular(path, info);
        failErrno(path, error);
    }
    struct stat info
    {
    };
    if (::fstat(fd.get(), &info) != 0)
        failErrno(path, errno);
    if (!S_ISREG(info.st_mode))
        failNotRegular(path, info);
    return fd;
}

// Writes all of bytes at the start of the file, or fails: a regular file
// takes a whole write unless the disk or the file-size limit is full, which
// the next write reports.
void writeAll(const QString &path, int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (written <= 0)
            failErrno(path, written < 0 ? errno : EIO);
        done += written;
    }
}

void syncDirectory(const QString &directory)
{
    UniqueFd fd(
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0)
        failErrno(directory, errno);
}

// Removes the temporary file unless the rename has taken it.
class TemporaryFile
{
public:
    explicit TemporaryFile(QByteArray path)
        : m_path(std::move(path))
    {
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;
    ~TemporaryFile()
    {
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    void release() { m_path.clear(); }

private:
    QByteArray m_path;
};

} // namespace

void failFile(const QString &path, const QString &reason)
{
    throw RuntimeFailure(QStringLiteral("Errore di esecuzione: impossibile usare il file "
                                        "\"%1\": %2.")
                             .arg(QDir::cleanPath(path), reason));
}

QString existingDirectory(const QString &directory)
{
    const QFileInfo info(directory);
    if (!info.isDir())
        throw RuntimeFailure(
            QStringLiteral("Errore di esecuzione: la cartella dei record \"%1\" %2.")
                .arg(directory, info.exists() ? QStringLiteral("non è una cartella")
                                              : QStringLiteral("non esiste")));
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

QString readTextFile(const QString &path)
{
    const UniqueFd fd = openRegular(path, O_RDONLY);
    QByteArray bytes(maxTextFileBytes, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < bytes.size()) {
        const ssize_t got =
            ::pread(fd.get(), bytes.data() + size, size_t(bytes.size() - size), size);
        if (got < 0 && errno != EINTR)
            failErrno(path, errno);
        if (got == 0)
            break;
        if (got > 0)
            size += got;
    }
    bytes.truncate(size);
    return decodeText(bytes);
}

QString decodeText(const QByteArray &bytes)
{
    // A record file made on Italian Windows is in its code page.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

void ensureTextFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    UniqueFd created(
        ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, shared));
    if (created.valid()) {
        // Whatever the umask, the next player may be another user.
        if (::fchmod(created.get(), shared) != 0)
            failErrno(path, errno);
        return;
    }
    if (errno != EEXIST)
        failErrno(path, errno);
    openRegular(path, O_WRONLY | O_APPEND);
}

void writeTextLine(const QString &path, const QString &text)
{
    const QFileInfo info(path);
    const QString directory = info.absolutePath();
    const QByteArray native = QFile::encodeName(path);

    // What stands at the path now must be a regular file, or nothing.
    struct stat current
    {
    };
    if (::lstat(native.constData(), &current) == 0) {
        if (!S_ISREG(current.st_mode))
            failNotRegular(path, current);
    } else if (errno != ENOENT) {
        failErrno(path, errno);
    }

    QByteArray temporaryPath = QFile::encodeName(directory + u'/' + info.fileName()) + ".XXXXXX";
    UniqueFd fd(::mkostemp(temporaryPath.data(), O_CLOEXEC));
    if (!fd.valid())
        failErrno(directory, errno);
    TemporaryFile temporary(temporaryPath);

    writeAll(path, fd.get(), text.toLocal8Bit() + "\r\n");
    if (::fchmod(fd.get(), shared) != 0 || ::fsync(fd.get()) != 0 || fd.close() != 0)
        failErrno(path, errno);
    if (::rename(temporaryPath.constData(), native.constData()) != 0)
        failErrno(path, errno);
    temporary.release();
    syncDirectory(directory);
}

QString recordLockBusy()
{
    return QStringLiteral("un'altra copia di Sequilla lo tiene bloccato da più di %1 secondi")
        .arg(recordLockLimit.count() / 1000);
}

FileLock::FileLock(UniqueFd directory, Kind kind, const QString &path)
    : m_fd(std::move(directory))
{
    if (const int error = lockWithin(m_fd.get(), kind == Exclusive, recordLockLimit))
        error == EWOULDBLOCK ? failFile(path, recordLockBusy()) : failErrno(path, error);
}

FileLock FileLock::onDirectory(const QString &directory, Kind kind)
{
    UniqueFd fd(
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        failErrno(directory, errno);
    return FileLock(std::move(fd), kind, directory);
}
