// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"
#include "runtime/qtruntime.h"

namespace {

// The installed game asks the system's record service, which systemd
// starts on its socket; a build tree starts the service beside the program
// for each request, as its own user, and keeps the record in the tree.
RecordStore recordStore()
{
    const char *socket = SEQUILLA_RECORD_SOCKET;
    if (*socket != '\0')
        return RecordStore([socket] { return connectToService(socket); },
                           QString::fromUtf8(socket));
    return RecordStore([service = serviceBesideProgram()] { return startServiceChild(service); },
                       QStringLiteral(SEQUILLA_RECORD_DIR));
}

} // namespace

int main(int argc, char *argv[])
{
    QtRuntime runtime(recordStore());
    runtime.Record().startLoading();
    return runProgram(argc, argv, runtime);
}
