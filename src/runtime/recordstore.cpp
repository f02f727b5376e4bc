// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordstore.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace {

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

QString RecordStore::read(const QString &path)
{
    const HeldFile *file = held(path);
    return file != nullptr ? readTextFd(file->fd.get(), path) : readTextFile(path);
}

void RecordStore::write(const QString &path, const QString &text)
{
    if (const HeldFile *file = held(path))
        rewriteTextFd(file->fd.get(), path, text);
    else
        writeTextLine(path, text);
}

FileLock RecordStore::lock(const QString &directory, FileLock::Kind kind)
{
    // Held files are rewritten in place: the score file itself is the lock.
    // Files replaced by renaming take their directory's.
    if (m_held.active && m_held.score.error == 0)
        return FileLock(m_held.score.fd.get(), kind, QFile::decodeName(m_held.score.path.c_str()));
    return FileLock::onDirectory(directory, kind);
}
