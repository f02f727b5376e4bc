// SPDX-License-Identifier: GPL-3.0-or-later
// The real program, started by runProgram as main() starts it, with the
// start-up boxes answered at once and the record in the temporary directory;
// built as bench_firstpaint_kept, with the record held by a record keeper as
// the installed game holds it (its files opened by the program and handed
// to a child process).
// It quits at the first paint that shows the first question, or with
// "--idle S" plays S seconds of a match nobody answers and reports their CPU
// time.
#include "probe.h"

#include "program.h"
#include "runtime/recordkeeper.h"
#include "runtime/runtime.h"
#include "ui/tavola.h"

#include <QDir>
#include <QLabel>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>

namespace {

class InstantRuntime final : public Runtime
{
public:
    using Runtime::Runtime;
    int ShowMessage(const QString &, int, const QString &) override { return Ok; }
    QString AskText(const QString &) override { return QStringLiteral("Banco"); }
    QString WindowsDirectory() const override { return QDir::tempPath(); }

protected:
    [[noreturn]] void endProgram(int status) override { std::_Exit(status); }
    void showFailure(const QString &message) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
};

#ifdef FIRSTPAINT_WITH_KEEPER
// What the installed game's start does before Qt, but for the set-group-id
// checks: both files opened and handed to a keeper.
HeldRecord keptRecord()
{
    const std::string folder = QDir::tempPath().toStdString();
    HeldRecord record{true, {folder + "/quirel.txt"}, {folder + "/nquirel.txt"}, {}};
    const auto open = [](const std::string &path) {
        return UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    };
    record.keeper = startRecordKeeper(open(record.score.path), open(record.name.path));
    return record;
}
#endif

} // namespace

int main(int argc, char *argv[])
{
#ifdef FIRSTPAINT_WITH_KEEPER
    InstantRuntime runtime(keptRecord());
#else
    InstantRuntime runtime;
#endif
    return runProgram(argc, argv, runtime, [&](Tavola &tavola) {
        const auto questionShown = [&tavola] {
            const auto *number = tavola.findChild<QLabel *>(QStringLiteral("lblNum1"));
            return number && !number->text().isEmpty();
        };
        return bench::runUntilFirstPaintOrIdle(argc, argv, tavola.centralWidget(), questionShown);
    });
}
