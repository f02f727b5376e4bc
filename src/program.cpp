// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"

#include "runtime/canberrasoundplayer.h"
#include "runtime/qtruntime.h"
#include "ui/spoken.h"
#include "ui/tavola.h"

#include <QApplication>

#include <csignal>

int runProgram(int &argc, char *argv[], Runtime &runtime, const std::function<int(Tavola &)> &loop)
{
    // A record write past a file-size limit must fail with a report, not kill.
    std::signal(SIGXFSZ, SIG_IGN);
    // The same window on every desktop: on Wayland through XWayland, since
    // there a window is never told that it was minimised. Wayland only when
    // there is no X server, or when the user asks for it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sequilla"));
    installItalianTranslations();

    const FocusRetold focusRetold;
    CanberraSoundPlayer sound;
    Tavola tavola(runtime, sound);
    tavola.Show();
    return loop ? loop(tavola) : QApplication::exec();
}
