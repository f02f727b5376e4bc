// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <optional>

// The counters of a match are 16-bit signed integers; going past their range
// is a run-time failure, never a silent wrap-around.

/// a + b, or RuntimeFailure("overflow") when the sum leaves -32768..32767.
qint16 checkedAdd(qint16 a, qint16 b);

/// The whole number nearest to value (halves to the even neighbour), or
/// nothing when it does not fit 16 bits (NaN and infinities included).
std::optional<qint16> roundToInt16(double value);
