// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "uniquefd.h"

#include <cerrno>
#include <string>

/// One record file of the installed program: opened at the start, while the
/// program still had the games group, and handed to the record keeper.
struct HeldFile
{
    std::string path;
    /// Why it is not held: an errno value, or one of the checks below.
    int error = 0;
};

/// The checks a held file must pass, as errors beyond errno's.
enum HeldFileError : int
{
    NotRegular = -1,    // a directory, fifo, device...
    ManyLinks = -2,     // a hard link to it elsewhere
    WrongOwner = -3,    // not root's, or not the program's group's
    LowDescriptor = -4, // it would stand for standard input, output or error
    LockTimedOut = -5   // another copy held the record's lock too long
};

/// Both record files, when the program was started set-group-id.
struct HeldRecord
{
    bool active = false; // started set-group-id: the record is held, never opened by path
    HeldFile score;
    HeldFile name;
    UniqueFd keeper; // the socket to the record keeper, when both files are held
};

/// First thing in main, before any library starts. Started set-group-id (the
/// installed game, group games), opens quirel.txt and nquirel.txt in
/// directory for reading and writing with that group, and checks them: a
/// regular file with one link, owned by root and the group, on a descriptor
/// above 2. It then gives the group up for good (real, effective and saved)
/// and ends the process if it cannot; hands both files to the record keeper
/// (startRecordKeeper) and closes its own copies; takes out of the
/// environment what would make Qt or the libraries it loads run code from a
/// place the user chooses; and drops the command line, which Qt reads for
/// plugin paths too. A file that fails to open or check, or a keeper that
/// cannot start, is reported later in the error box (HeldFile::error).
/// Started otherwise, does nothing and returns an inactive record.
HeldRecord holdRecordFiles(const char *directory, int &argc, char **argv);
