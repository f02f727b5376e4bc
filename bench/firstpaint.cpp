// SPDX-License-Identifier: GPL-3.0-or-later
// The real program, started as main() starts it, with the start-up boxes
// answered at once and the record in the temporary directory. It quits at the
// first paint that shows the first question, or with "--idle S" plays S
// seconds of a match nobody answers and reports their CPU time.
#include "probe.h"

#include "runtime/deferredsoundplayer.h"
#include "runtime/qtruntime.h"
#include "runtime/runtime.h"
#include "ui/tavola.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

class InstantRuntime final : public Runtime
{
public:
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

} // namespace

int main(int argc, char *argv[])
{
    // As main.cpp, but with the runtime above.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sequilla"));
    installItalianTranslations();

    InstantRuntime runtime;
    DeferredSoundPlayer sound(DeferredSoundPlayer::besideProgram());
    Tavola tavola(runtime, sound);
    tavola.Show();
    const auto questionShown = [&tavola] {
        const auto *number = tavola.findChild<QLabel *>(QStringLiteral("lblNum1"));
        return number && !number->text().isEmpty();
    };
    return bench::runUntilFirstPaintOrIdle(argc, argv, tavola.centralWidget(), questionShown);
}
