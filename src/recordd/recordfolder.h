// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "uniquefd.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

// The record in its folder: the score file quirel.txt and the name file
// nquirel.txt, one line each ended by CR LF, both empty while there is no
// record. Only the record service writes there, one copy at a time, under
// the lock of the folder's .lock file.
//
// A save is all or nothing, whenever the service is killed or the power
// goes: the new record is first written whole to a journal (.journal, made
// by renaming a synced .journal.new), and only then are the two files
// replaced, each by renaming a synced copy. The next copy of the service to
// take the lock finishes a save that the journal holds, and drops what an
// unfinished journal left.

struct Record
{
    std::optional<int> score; // none: no record yet
    std::string name;
    friend bool operator==(const Record &, const Record &) = default;
};

/// Called after each step of a save that changes the folder, with its number
/// from 1 on: a test stops the service there.
using StepHook = std::function<void(int step)>;

/// The lock of the record in folder (an open directory), held while the
/// returned descriptor is open; it waits at most limit for the copy that
/// holds it. Invalid with error set (EWOULDBLOCK when the time ran out).
UniqueFd lockRecord(int folder, std::chrono::milliseconds limit, int &error);

/// Under the lock: finishes the save a journal holds, removes what an
/// unfinished one left, makes both files when they are missing, and reads
/// the record. Files that do not hold a well-formed record are no record
/// (which the next save replaces), and set malformed. 0 or an errno value.
int loadRecord(int folder, Record &record, bool &malformed, const StepHook &hook = {});

/// Under the lock, once loadRecord has run: replaces the record whole with
/// record, which must have a score. 0 or an errno value; on a failure before
/// the journal is in place, the old record stays, and after it the next
/// loadRecord finishes the save.
int saveRecord(int folder, const Record &record, const StepHook &hook = {});

/// The record that old files of an earlier version hold, trusting nothing
/// there: each must be a regular file with one link; a score is kept only
/// when its first line is a well-formed score, and a name, its first line
/// cut at maxNameBytes without splitting a character, only with the score
/// and only when it is a name the service accepts (else it is empty).
Record importRecord(int oldFolder);
