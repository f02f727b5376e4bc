// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"
#include "runtime/heldrecord.h"
#include "runtime/qtruntime.h"

int main(int argc, char *argv[])
{
    // Before anything else: the installed game opens its record files with
    // the games group, then gives the group up.
    HeldRecord record = holdRecordFiles(SEQUILLA_RECORD_DIR, argc, argv);
    QtRuntime runtime(std::move(record));
    return runProgram(argc, argv, runtime);
}
