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
// the lock of the folder's .lock file. What it reads there is read as the
// game has always read its record, whoever wrote it (a teacher's editor,
// Windows): the score file's leading number, names in the ANSI code page.
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

/// What the two files hold, as the game shows it: each file's text, its line
/// end included, in UTF-8 (fromAnsi).
struct RecordTexts
{
    std::string score, name;
    friend bool operator==(const RecordTexts &, const RecordTexts &) = default;
};

/// The score a record's texts hold, as the game compares it: the score
/// text's leading number, 0 when it has none.
double recordScore(const RecordTexts &texts);

/// Called after each step of a save that changes the folder, with its number
/// from 1 on: a test stops the service there.
using StepHook = std::function<void(int step)>;

/// The lock of the record in folder (an open directory), held while the
/// returned descriptor is open; it waits at most limit for the copy that
/// holds it. Invalid with error set (EWOULDBLOCK when the time ran out).
UniqueFd lockRecord(int folder, std::chrono::milliseconds limit, int &error);

/// Under the lock: finishes the save a journal holds, removes what an
/// unfinished one left, makes both files when they are missing, and reads
/// the record's texts, at most maxFileBytes of each file. A journal that
/// cannot be finished (a full disk) holds the newest record: its texts are
/// read from it. A score past 16 bits (such as "1e999") cannot be one, and
/// would keep the record forever: such files are no record, which the next
/// save replaces. 0 or an errno value.
int loadRecord(int folder, RecordTexts &texts, const StepHook &hook = {});

/// Under the lock, once loadRecord has run: replaces the record whole with
/// record, which must have a score. 0 or an errno value; on a failure before
/// the journal is in place, the old record stays, and after it the next
/// loadRecord finishes the save.
int saveRecord(int folder, const Record &record, const StepHook &hook = {});

/// The record that old files of an earlier version hold, trusting nothing
/// there: each must be a regular file with one link; a score is kept only
/// when its first line is a well-formed score, and a name, its first line
/// cut at maxNameBytes without splitting a character, only with the score
/// and only when it is a name the service accepts once read in the ANSI
/// code page where it is not UTF-8 (else it is empty).
Record importRecord(int oldFolder);
