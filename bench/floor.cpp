// SPDX-License-Identifier: GPL-3.0-or-later
// The floor: the least a Qt Widgets window like ours costs. A menu bar, a few
// labels, a line edit and two buttons, maximised; it quits at its first
// paint, or with "--idle S" keeps a 1-second timer that changes one label
// ("--idle S --repaint-all": that repaints the whole window) and reports the
// CPU time the S seconds cost.
//
// Built as bench_floor_fonts, it also shows every text of the real window in
// that window's fonts, at their places: the part of the start-up that Qt's
// fonts cost, whatever the program does.
#include "probe.h"

#ifdef FLOOR_WITH_DESIGN_FONTS
#include "ui/design.h"
#include "ui/designfont.h"
#endif

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <cstring>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool repaintAll = argc == 4 && std::strcmp(argv[3], "--repaint-all") == 0;

    QMainWindow window;
    window.menuBar()->addAction(QStringLiteral("nuovo"));
    auto *client = new QWidget;
    window.setCentralWidget(client);
    auto *number = new QLabel(QStringLiteral("42"), client);
    number->setGeometry(40, 40, 200, 120);
    auto *sign = new QLabel(QStringLiteral("+ 1 ="), client);
    sign->setGeometry(260, 40, 200, 120);
    auto *clock = new QLabel(QStringLiteral("00:05:00"), client);
    clock->setGeometry(40, 200, 120, 30);
    auto *answer = new QLineEdit(client);
    answer->setGeometry(480, 40, 200, 120);
    auto *next = new QPushButton(QStringLiteral("Avanti"), client);
    next->setGeometry(40, 260, 100, 60);
    auto *exit = new QPushButton(QStringLiteral("Esci"), client);
    exit->setGeometry(160, 260, 100, 60);

#ifdef FLOOR_WITH_DESIGN_FONTS
    for (const design::Control &control : design::controls) {
        if (control.font.face == design::Face::SystemDefault)
            continue;
        auto *text = new QLabel(client);
        text->setText(control.text.empty() ? QStringLiteral("42")
                                           : QString::fromUtf16(control.text.data(),
                                                                qsizetype(control.text.size())));
        text->setFont(toFont(control.font, text->font()));
        text->setGeometry(control.rect.left / design::twipsPerPixel,
                          control.rect.top / design::twipsPerPixel,
                          control.rect.width / design::twipsPerPixel,
                          control.rect.height / design::twipsPerPixel);
    }
#endif

    int seconds = 300;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        --seconds;
        clock->setText(QStringLiteral("00:%1:%2")
                           .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                           .arg(seconds % 60, 2, 10, QLatin1Char('0')));
        if (repaintAll)
            client->update();
    });
    tick.start(1000);

    window.showMaximized();
    return bench::runUntilFirstPaintOrIdle(argc < 3 ? argc : 3, argv, client, [] { return true; });
}
