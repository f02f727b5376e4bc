// SPDX-License-Identifier: GPL-3.0-or-later
#include "int16.h"

#include "failure.h"

#include <cfenv>
#include <cmath>
#include <limits>

qint16 checkedAdd(qint16 a, qint16 b)
{
    const int sum = int(a) + int(b);
    if (sum < std::numeric_limits<qint16>::min() || sum > std::numeric_limits<qint16>::max())
        throw RuntimeFailure(QStringLiteral("Errore di esecuzione: overflow (un contatore ha "
                                            "superato il valore massimo di 32767)."));
    return qint16(sum);
}

std::optional<qint16> roundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds in the current mode, which is round-half-to-even.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(rounded);
}
