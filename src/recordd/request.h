// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The record service's protocol: one request a connection, one reply, each a
// message of a SOCK_SEQPACKET socket.
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

/// The reply to a load, of the two files' texts.
std::string loadReply(std::string_view score, std::string_view name);

/// The score file's and the name file's texts in a load's reply, or nothing
/// when it is not one.
std::optional<std::pair<std::string, std::string>> parseLoadReply(std::string_view reply);
