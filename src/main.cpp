// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"
#include "runtime/qtruntime.h"

int main(int argc, char *argv[])
{
    QtRuntime runtime;
    return runProgram(argc, argv, runtime);
}
