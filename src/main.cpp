// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"
#include "runtime/heldrecord.h"
#include "runtime/qtruntime.h"

int main(int argc, char *argv[])
{
    // Before anything else: the installed game opens its record files with
    // the games group, gives the group up and hands the files to its record
    // keeper, a child process; this one keeps only a socket to it.
    HeldRecord record = holdRecordFiles(SEQUILLA_RECORD_DIR, argc, argv);
    QtRuntime runtime(std::move(record));
    return runProgram(argc, argv, runtime);
}
