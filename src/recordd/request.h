// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The record service's protocol: one request a connection, one reply, each a
// message of a SOCK_SEQPACKET socket. Both sides encode and decode it here
// alone.
//   "load"             -> "L" N " " SCORE NAME: the texts of the score file
//                         (its first N bytes) and of the name file, as the
//                         game shows them, both empty while there is no record
//   "save SCORE NAME"  -> "W" (written) or "K" (kept: the record is at least
//                         SCORE)
// Any request may instead get "E" and a decimal errno value (the record's
// folder failed), "B" (busy: the record's lock, or this account's share of
// the service, was not free in time), "D" (denied: this account may not play)
// or "R" (refused: not a well-formed request).

/// The longest name a record may hold, in bytes of UTF-8.
inline constexpr std::size_t maxNameBytes = 256;
/// The longest well-formed request: "save 32767 " and the longest name.
inline constexpr std::size_t maxRequestBytes = 11 + maxNameBytes;
/// The start of a record file that the service reads, and its text in
/// UTF-8 at most (each byte of the ANSI code page takes up to three).
inline constexpr std::size_t maxFileBytes = 512;
inline constexpr std::size_t maxFileTextBytes = 3 * maxFileBytes;
/// The longest reply: a load's.
inline constexpr std::size_t maxReplyBytes = 6 + 2 * maxFileTextBytes;

struct Request
{
    bool save = false; // else load
    int score = 0;     // 0..32767
    std::string name;  // as it will be written, without its line end
};

struct Reply
{
    enum Kind : char
    {
        Loaded = 'L',
        Written = 'W',
        Kept = 'K',
        Failed = 'E',
        Busy = 'B',
        Denied = 'D',
        Refused = 'R'
    };
    Kind kind = Refused;
    std::string score{}, name{}; // Loaded: the texts of the two files
    int error = 0;               // Failed: an errno value
    friend bool operator==(const Reply &, const Reply &) = default;
};

std::string encodeRequest(const Request &request);
std::string encodeReply(const Reply &reply);

/// The reply in message, or nothing when it is none the service sends.
std::optional<Reply> parseReply(std::string_view message);

/// The request in message, or nothing when it is not well formed: "load"
/// alone, or "save ", a score (scoreDigits), one blank and a name (isName).
std::optional<Request> parseRequest(std::string_view message);

/// The score written as digits: 0..32767, no sign, no leading zero.
std::optional<int> scoreDigits(std::string_view digits);

/// A name the record may hold: at most maxNameBytes of strict UTF-8 with no
/// control character and no line or paragraph separator (what the name
/// prompt lets a child type), possibly empty.
bool isName(std::string_view name);

/// The longest start of text, at most limit bytes, that does not cut a
/// UTF-8 character in two.
std::string_view cutAtCharacter(std::string_view text, std::size_t limit);

/// A file's text as UTF-8: unchanged when it is UTF-8 already, else read in
/// the ANSI code page of the Windows the record comes from (cp1252), as a
/// name typed there is written.
std::string fromAnsi(std::string_view bytes);
