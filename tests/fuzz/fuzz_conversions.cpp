// SPDX-License-Identifier: GPL-3.0-or-later
// The number conversions on any text: what a record file may hold, what a
// child may paste. The lenient reading never fails and never gives NaN; the
// strict one either agrees with it or fails with its message; the judgement's
// 16-bit rounding and the formatting take whatever comes out.
#include "runtime/conversions.h"
#include "runtime/failure.h"
#include "runtime/int16.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double lenient = lenientNumber(text);
    if (std::isnan(lenient))
        std::abort();
    try {
        const double strict = strictNumber(text);
        if (strict != lenient)
            std::abort();
    } catch (const RuntimeFailure &failure) {
        if (!failure.message().contains(u"non è un numero"))
            std::abort();
    }
    if (const auto answer = roundToInt16(lenient);
        answer && std::fabs(double(*answer) - lenient) > 0.5)
        std::abort();
    for (const char16_t *pattern : {u"#0", u"00", u"####0"})
        if (FormatNumber(lenient, pattern).isEmpty())
            std::abort();
    return 0;
}
