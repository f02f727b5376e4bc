// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "heldrecord.h"
#include "textfiles.h"

#include <QString>

#include <optional>

/// The record files of the whole machine, as this run may reach them: through
/// the record keeper, which alone holds them (the installed game, see
/// holdRecordFiles), or by path in a directory the user may write (a build
/// tree). A reading of both files and a save each go under a lock that every
/// copy of the program honours, so a save never mixes with another, nor a
/// reading with a save; no copy waits for that lock longer than
/// recordLockLimit.
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

    /// Holds the record in directory still while it lives, for reading
    /// both its files: a shared lock on the directory, or the keeper's copy
    /// of both files, read under its lock.
    class Reading
    {
    public:
        Reading(Reading &&) = delete;
        ~Reading();

    private:
        friend class RecordStore;
        explicit Reading(RecordStore &store, std::optional<FileLock> lock = std::nullopt);
        RecordStore &m_store;
        std::optional<FileLock> m_lock;
    };
    [[nodiscard]] Reading reading(const QString &directory);

    /// The whole content of the record file at path (readTextFile).
    QString read(const QString &path);

    /// Replaces the score file (scorePath) with scoreText, the digits of a
    /// score, and then the name file (namePath) with name, each followed by
    /// CR LF, unless the record on disk is at least that score; says whether
    /// it saved.
    bool saveIfHigher(const QString &scorePath, const QString &scoreText, const QString &namePath,
                      const QString &name);

private:
    struct Copy
    {
        QString score, name;
    };
    const HeldFile *held(const QString &path) const;
    Copy load();
    QByteArray ask(const QByteArray &request);
    [[noreturn]] void failKept(const QByteArray &reply);

    HeldRecord m_held;
    std::optional<Copy> m_copy; // the keeper's, while a Reading lives
};
