// SPDX-License-Identifier: GPL-3.0-or-later
// Record files holding anything: the input is split into the score file and
// the name file (its first byte says where), both are read and loaded into
// the window, and the match ends with a score the second byte gives. Nothing
// may fail, and the decision must be the right one.
#include "fuzzwindow.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    FuzzWindow &window = FuzzWindow::instance();
    const auto *bytes = reinterpret_cast<const char *>(data + 2);
    const std::size_t rest = size - 2;
    const std::size_t split = rest ? data[0] % (rest + 1) : 0;
    if (!writeFile(window.scorePath(), QByteArray(bytes, qsizetype(split))) ||
        !writeFile(window.namePath(), QByteArray(bytes + split, qsizetype(rest - split))))
        std::abort();

    try {
        window.tavola.EnsureRecordFiles();
        window.tavola.LoadRecord();
    } catch (const RuntimeFailure &) {
        std::abort();
    }
    if (window.caption("lblpunti") != window.tavola.Leggifiletxt(window.scorePath()))
        std::abort();
    window.label("lblScore")->setCaption(QString::number(data[1] % 40));
    window.exitAndCheckRecord();
    return 0;
}
