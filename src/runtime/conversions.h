// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// The decimal digits of a whole value for the patterns "#0", "###0" and
/// "####0" (no leading zeros, "0" for zero, "-" before negatives); each "0"
/// of the pattern is one digit that is always written, so "00" pads to two
/// digits ("05", "00", "100"). A fractional value is rounded half away from
/// zero first.
QString FormatNumber(double value, QStringView pattern);

/// The leading decimal number of text, as a double: leading blanks are
/// skipped, an optional sign, digits with at most one decimal point and an
/// optional exponent are read, and reading stops at the first character that
/// cannot continue the number. "" and text without a leading number give 0;
/// "7\r\n" gives 7; a number too large for a double gives an infinity.
double lenientNumber(QStringView text);

/// The whole of text as a double, blanks around it allowed. Text that is not
/// a number throws RuntimeFailure naming the text.
double strictNumber(QStringView text);
