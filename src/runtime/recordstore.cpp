// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordstore.h"

#include "conversions.h"
#include "recordkeeper.h"
#include "timedlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>

namespace {

// How long the window waits for the keeper's answer: longer than the
// keeper waits for the lock.
constexpr int answerLimitMs = int(recordLockLimit.count()) * 2;

QString reason(int error)
{
    switch (error) {
    case NotRegular:
        return QStringLiteral("non è un file normale");
    case ManyLinks:
        return QStringLiteral("ha altri collegamenti");
    case WrongOwner:
        return QStringLiteral("non appartiene a root e al gruppo del programma");
    case LowDescriptor:
        return QStringLiteral("non si può aprire con l'ingresso o l'uscita standard chiusi");
    case LockTimedOut:
        return recordLockBusy();
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

const HeldFile *RecordStore::held(const QString &path) const
{
    if (!m_held.active)
        return nullptr;
    const QString wanted = QDir::cleanPath(path);
    for (const HeldFile *file : {&m_held.score, &m_held.name})
        if (QDir::cleanPath(QFile::decodeName(file->path.c_str())) == wanted)
            return file;
    return nullptr;
}

void RecordStore::ensure(const QString &path)
{
    const HeldFile *file = held(path);
    if (file == nullptr)
        return ensureTextFile(path);
    if (file->error != 0)
        failFile(path, reason(file->error));
}

RecordStore::Reading::Reading(RecordStore &store, std::optional<FileLock> lock)
    : m_store(store)
    , m_lock(std::move(lock))
{
}

RecordStore::Reading::~Reading()
{
    m_store.m_copy.reset();
}

RecordStore::Reading RecordStore::reading(const QString &directory)
{
    if (!m_held.active)
        return Reading(*this, FileLock::onDirectory(directory, FileLock::Shared));
    m_copy = load();
    return Reading(*this);
}

QString RecordStore::read(const QString &path)
{
    const HeldFile *file = held(path);
    if (file == nullptr)
        return readTextFile(path);
    const Copy copy = m_copy ? *m_copy : load();
    return file == &m_held.score ? copy.score : copy.name;
}

bool RecordStore::saveIfHigher(const QString &scorePath, const QString &scoreText,
                               const QString &namePath, const QString &name)
{
    if (m_held.active)
        return ask("save " + scoreText.toLatin1() + ' ' + name.toUtf8()) == "W";
    // The record shown at the start may have been beaten since by another
    // copy of the program: the score must beat the record on disk too, read
    // under the same lock as the save, or it would replace a higher one.
    const FileLock lock =
        FileLock::onDirectory(QFileInfo(scorePath).absolutePath(), FileLock::Exclusive);
    if (lenientNumber(readTextFile(scorePath)) >= strictNumber(scoreText))
        return false;
    // The score file is whole on disk before the name file is begun.
    writeTextLine(scorePath, scoreText);
    writeTextLine(namePath, name);
    return true;
}

RecordStore::Copy RecordStore::load()
{
    const QByteArray score = ask("load");
    const QByteArray name = ask({});
    if (!score.startsWith('S') || !name.startsWith('N'))
        failKept(name);
    return {decodeText(score.sliced(1)), decodeText(name.sliced(1))};
}

// Sends request (none when empty) and waits for the keeper's next message,
// which must be no failure.
QByteArray RecordStore::ask(const QByteArray &request)
{
    if (!m_held.keeper.valid()) {
        const HeldFile &unheld = m_held.score.error != 0 ? m_held.score : m_held.name;
        failFile(QFile::decodeName(unheld.path.c_str()), reason(unheld.error));
    }
    const QString path = QFile::decodeName(m_held.score.path.c_str());
    const int socket = m_held.keeper.get();
    if (!request.isEmpty() &&
        ::send(socket, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size())
        failFile(path, QStringLiteral("il custode del record non c'è più"));
    pollfd answer{socket, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&answer, 1, answerLimitMs);
    while (ready < 0 && errno == EINTR);
    if (ready != 1)
        failFile(path, QStringLiteral("il custode del record non risponde"));
    QByteArray reply(qsizetype(keptFileBytes + 1), Qt::Uninitialized);
    const ssize_t got = ::recv(socket, reply.data(), size_t(reply.size()), 0);
    if (got <= 0)
        failFile(path, QStringLiteral("il custode del record non c'è più"));
    reply.truncate(got);
    if (reply.startsWith('E') || reply.startsWith('R'))
        failKept(reply);
    return reply;
}

void RecordStore::failKept(const QByteArray &reply)
{
    const HeldFile &file = reply.startsWith("E1") ? m_held.name : m_held.score;
    const QString path = QFile::decodeName(file.path.c_str());
    if (!reply.startsWith('E'))
        failFile(path, QStringLiteral("il custode del record ha rifiutato la richiesta"));
    failFile(path, reason(reply.sliced(2).toInt()));
}
