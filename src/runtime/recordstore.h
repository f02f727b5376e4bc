// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "heldrecord.h"
#include "textfiles.h"

#include <QString>

/// The record files of the whole machine, as this run may reach them: held
/// open since the start (the installed game, see holdRecordFiles), or opened
/// by path in a directory the user may write (a build tree). Every read of
/// the pair and every save goes under a lock that all copies of the program
/// honour, so a save never mixes with another, nor a read with a save.
class RecordStore
{
public:
    RecordStore() = default;
    explicit RecordStore(HeldRecord held)
        : m_held(std::move(held))
    {
    }

    /// Makes sure the file at path exists (ensureTextFile). A held file
    /// exists already; one that could not be held is reported here.
    void ensure(const QString &path);
    /// The whole content of the file at path (readTextFile).
    QString read(const QString &path);
    /// Replaces the file at path with text and CR LF: a held file in place,
    /// any other by writeTextLine.
    void write(const QString &path, const QString &text);
    /// Locks the record in directory, whose files are those given.
    FileLock lock(const QString &directory, FileLock::Kind kind);

private:
    const HeldFile *held(const QString &path) const;

    HeldRecord m_held;
};
