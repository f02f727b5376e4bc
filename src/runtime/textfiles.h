// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "recordkeeper.h"
#include "uniquefd.h"

#include <QString>

// One-line text files in a directory that every user of the machine may
// write. Nothing there is followed blindly: a symbolic link, a directory, a
// fifo or a device at a file's path is a failure naming the path, and is never
// opened through. Text is written in UTF-8, and read as UTF-8 when it is
// valid UTF-8, else as Windows-1252 (the code page of Italian Windows, where
// record files may come from). Every failure throws RuntimeFailure with the
// path and the system's reason.

/// Throws the RuntimeFailure that names path and the reason it cannot be used.
[[noreturn]] void failFile(const QString &path, const QString &reason);

/// directory followed by one "/" (none added when it ends with one); a
/// directory that is missing, or not a directory, is a failure naming it.
QString existingDirectory(const QString &directory);

/// Files are read whole, but never more than this, as the record keeper
/// reads them.
inline constexpr qsizetype maxTextFileBytes = qsizetype(keptFileBytes);

/// The whole content of the regular file at path, line ends included; an
/// empty file gives "". Past maxTextFileBytes the rest is not read.
QString readTextFile(const QString &path);

/// Makes sure a regular file exists at path, creating it empty (mode 0666,
/// whatever the umask) when missing; an existing file is neither read nor
/// changed, but must be writable, as for opening it to append.
void ensureTextFile(const QString &path);

/// Replaces the file at path with text followed by CR LF, atomically: the
/// new content goes to a temporary file in the same directory, is synced and
/// renamed over the old one, and the directory is synced. On any failure the
/// old file is left whole and the temporary file removed. The file gets mode
/// 0666, so that any user can replace it next.
void writeTextLine(const QString &path, const QString &text);

/// The text of a record file's bytes: UTF-8 when they are valid UTF-8, else
/// Windows-1252.
QString decodeText(const QByteArray &bytes);

/// Why a record that another copy of the program keeps locked too long
/// (recordLockLimit) cannot be used, for failFile.
QString recordLockBusy();

/// An advisory lock (flock) on a directory, held until it goes out of scope.
/// Taking it waits for the locks other processes hold that exclude it, but
/// no longer than recordLockLimit: then it fails, naming the directory.
class FileLock
{
public:
    enum Kind
    {
        Shared,
        Exclusive
    };
    /// Opens the directory and locks it: the lock for files that are
    /// replaced by renaming, whose inode changes with each save.
    static FileLock onDirectory(const QString &directory, Kind kind);
    FileLock(FileLock &&) noexcept = default;
    FileLock &operator=(FileLock &&) = delete;

private:
    FileLock(UniqueFd directory, Kind kind, const QString &path);

    UniqueFd m_fd; // closing it lets the lock go
};
