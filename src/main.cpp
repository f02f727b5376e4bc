// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/qtruntime.h"
#include "runtime/qtsoundplayer.h"
#include "ui/tavola.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sequilla"));
    installItalianTranslations();

    QtRuntime runtime;
    QtSoundPlayer sound;
    Tavola tavola(runtime, sound);
    tavola.Show();
    return QApplication::exec();
}
