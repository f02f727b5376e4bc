// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/deferredsoundplayer.h"
#include "runtime/qtruntime.h"
#include "ui/tavola.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A record write past a file-size limit must fail with a report, not kill.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sequilla"));
    installItalianTranslations();

    QtRuntime runtime;
    DeferredSoundPlayer sound(DeferredSoundPlayer::besideProgram());
    Tavola tavola(runtime, sound);
    tavola.Show();
    return QApplication::exec();
}
