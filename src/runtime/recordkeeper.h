// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "uniquefd.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The record keeper: the small process that alone holds the installed game's
// record files. The set-group-id program opens them, gives its group up and
// forks; the child keeps the two files and a socket to the window, and does
// nothing but answer the window's two requests. It loads no library and
// reads no setting of the user's, so nothing a pupil can put in the window's
// process (a module of their desktop's, a setting of the sound library's)
// can reach the files: at most it can ask for a save, as playing does.
//
// Plain C++ with no Qt. One message a request or a reply, on a socket of
// type SOCK_SEQPACKET:
//   "load"             -> "S" + the score file's bytes, then "N" + the name file's
//   "save SCORE NAME"  -> "W" (written) or "K" (kept: the record on disk is at
//                         least SCORE)
// Either may instead get "E", then '0' (the score file) or '1' (the name
// file), then the reason as a decimal errno value or HeldFileError. Anything
// that is not a well-formed request gets "R", and the keeper ends.

/// What a record file may hold for the keeper to read it, and a name to save.
inline constexpr std::size_t keptFileBytes = 64 * 1024;
inline constexpr std::size_t maxNameBytes = 256;
/// The longest well-formed request: "save 32767 " and the longest name.
inline constexpr std::size_t maxRequestBytes = 11 + maxNameBytes;

struct KeeperRequest
{
    bool save = false; // else load
    int score = 0;     // 0..32767
    std::string name;  // as it will be written, without its line end
};

/// The request in message, or nothing when it is not well formed: "load"
/// alone, or "save ", the decimal digits of 0..32767 with no leading zero,
/// one blank and a name of at most maxNameBytes of UTF-8 with no control
/// character and no line or paragraph separator (what the name prompt lets a
/// child type), possibly empty.
std::optional<KeeperRequest> parseKeeperRequest(std::string_view message);

/// Answers the requests that come on socket, holding the record in the open
/// files score and name, until the socket closes or a request is refused.
/// Each load and save takes the score file's lock (shared, exclusive) and
/// gives up after lockLimit. Files are rewritten in place, score file first.
void serveRecord(int socket, int score, int name, std::chrono::milliseconds lockLimit);

/// Starts the keeper of the open files score and name in a child process,
/// which ends when its socket closes, however the window's process ends.
/// Returns the window's end of the socket, or an invalid one (errno set).
UniqueFd startRecordKeeper(UniqueFd score, UniqueFd name);
