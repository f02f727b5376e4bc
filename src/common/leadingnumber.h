// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

// Plain C++ with no Qt: the record keeper reads the record on disk with it,
// as the window reads the same text from a caption.

/// The decimal number at the start of a text, after blanks and tabs.
struct LeadingNumber
{
    double value = 0;    // 0 when none is found; an infinity when too large
    std::size_t end = 0; // index just past the number (past the blanks when none)
    bool found = false;  // at least one digit before any exponent
};

/// Reads [sign] digits [. digits] [e [sign] digits] after leading blanks and
/// stops at the first character that cannot continue it: "7\r\n" gives 7,
/// "   12abc" 12, "12e" 12, "0x1A" 0, "" and "abc" nothing. No locale
/// applies; bytes outside ASCII simply stop the number.
LeadingNumber leadingNumber(std::string_view text);
