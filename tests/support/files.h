// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file's bytes, as the tests write and read the record's files: with
// QtCore alone, so that the record service's test needs no window library.

#include <QFile>

/// The bytes of a file, or "<missing>".
inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}
