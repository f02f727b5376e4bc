// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real window with a scripted runtime of the testing library, shown at a given
// client size with its first question asked: what the handler and repaint
// benchmarks start from.

#include "tavolatester.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

#include <memory>

class BenchWindow
{
public:
    FakeRuntime runtime;
    FakeSound sound;
    TavolaTester tavola{runtime, sound};

    explicit BenchWindow(QSize client)
    {
        tavola.Show();
        tavola.showNormal();
        tavola.resize(client.width(), client.height() + tavola.menuWidget()->height());
        settle();
        // The question is asked again at this size, so its gradient fills it.
        tavola.cmdNext_Click();
        settle();
    }

    /// Runs the event loop until nothing is pending: the repaints are done.
    static void settle()
    {
        QElapsedTimer waited;
        waited.start();
        do
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        while (waited.elapsed() < 20);
    }

    /// Delivers all posted events (update requests among them) at once.
    static void repaintNow() { QApplication::sendPostedEvents(); }

    QLineEdit *answerBox() { return tavola.findChild<QLineEdit *>(QStringLiteral("txtAnswer")); }

    /// Judges the text in the answer box, as Enter does.
    void judge(const QString &typed)
    {
        answerBox()->setText(typed);
        qint16 enter = 13;
        tavola.txtAnswer_KeyPress(enter);
    }

    QString expectedAnswer() { return QString::number(tavola.state().expectedAnswer); }
};

/// The application every benchmark program needs, offscreen unless a
/// platform is given.
inline std::unique_ptr<QApplication> makeBenchApplication(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}
