// SPDX-License-Identifier: GPL-3.0-or-later
// The real program, started by runProgram as main() starts it, with the
// start-up boxes answered at once and the record in the temporary directory,
// loaded through the record service, which it starts as a build tree does
// (or through the installed service, with BENCH_RECORD_SOCKET set).
// It quits at the first paint that shows the first question, or with
// "--idle S" plays S seconds of a match nobody answers and reports their CPU
// time.
#include "probe.h"

#include "program.h"
#include "runtime/runtime.h"
#include "ui/tavola.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <cstdio>
#include <cstdlib>

namespace {

class InstantRuntime final : public Runtime
{
public:
    using Runtime::Runtime;
    int ShowMessage(const QString &, int, const QString &) override { return Ok; }
    QString AskText(const QString &) override { return QStringLiteral("Banco"); }

protected:
    [[noreturn]] void endProgram(int status) override { std::_Exit(status); }
    void showFailure(const QString &message) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    // The record service beside the program, as a build tree starts it,
    // keeping its record in the temporary directory; or, with
    // BENCH_RECORD_SOCKET set, the installed service on that socket.
    const QByteArray service = serviceBesideProgram();
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    const QByteArray socket = qgetenv("BENCH_RECORD_SOCKET");
    InstantRuntime runtime(RecordStore(
        [&] {
            return socket.isEmpty() ? startServiceChild(service, folder)
                                    : connectToService(socket.constData());
        },
        QStringLiteral("bench")));
    runtime.Record().startLoading(); // as the program's start does
    return runProgram(argc, argv, runtime, [&](Tavola &tavola) {
        const auto questionShown = [&tavola] {
            const auto *number = tavola.findChild<QLabel *>(QStringLiteral("lblNum1"));
            return number && !number->text().isEmpty();
        };
        return bench::runUntilFirstPaintOrIdle(argc, argv, tavola.centralWidget(), questionShown);
    });
}
