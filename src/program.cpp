// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"

#include "runtime/deferredsoundplayer.h"
#include "runtime/qtruntime.h"
#include "ui/tavola.h"

#include <QApplication>

#include <csignal>

int runProgram(int &argc, char *argv[], Runtime &runtime, const std::function<int(Tavola &)> &loop)
{
    // A record write past a file-size limit must fail with a report, not kill.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sequilla"));
    installItalianTranslations();

    DeferredSoundPlayer sound(DeferredSoundPlayer::besideProgram());
    Tavola tavola(runtime, sound);
    tavola.Show();
    return loop ? loop(tavola) : QApplication::exec();
}
