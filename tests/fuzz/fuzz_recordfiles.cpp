// SPDX-License-Identifier: GPL-3.0-or-later
// A record file holding anything, in a directory every user can write: it
// is read without failing, at most its first 64 KiB; its number reads as a
// number or as 0; and saving what was read gives that text back, one line.
#include "runtime/conversions.h"
#include "runtime/textfiles.h"
#include "tavolatester.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/quirel.txt");
    if (!writeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();
    try {
        ensureTextFile(path);
        const QString text = readTextFile(path);
        if (text.size() > maxTextFileBytes || std::isnan(lenientNumber(text)))
            std::abort();
        writeTextLine(path, text);
        if (readTextFile(path) != text + QStringLiteral("\r\n"))
            std::abort();
    } catch (const RuntimeFailure &) {
        std::abort();
    }
    return 0;
}
