// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real window for the harnesses that drive it: one application and one
// window for the whole run, offscreen, with the scripted runtime of the
// tests and a record directory of its own.

#include "runtime/conversions.h"
#include "runtime/failure.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"
#include "windowfixture.h"

#include <QApplication>

#include <cstdlib>

class FuzzWindow
{
public:
    FakeRuntime runtime;
    FakeSound sound;
    Tavola tavola{runtime, sound};

    FuzzWindow()
    {
        tavola.Show();
        while (caption("lblNum1").isEmpty())
            QApplication::processEvents();
        tavola.matchState().windowsDir = runtime.windowsDirectory + u'/';
    }

    /// The one window of the run; the application is made first. Neither is
    /// ever destroyed: the fuzzer ends the process from exit(), after Qt's
    /// own globals are gone.
    static FuzzWindow &instance()
    {
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        [[maybe_unused]] static const QApplication *const app = [] {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return new QApplication(argc, argv);
        }();
        static FuzzWindow *const window = new FuzzWindow;
        return *window;
    }

    DesignLabel *label(const char *name)
    {
        auto *found = tavola.findChild<DesignLabel *>(QString::fromLatin1(name));
        if (!found)
            std::abort();
        return found;
    }
    QString caption(const char *name) { return label(name)->caption(); }

    QString scorePath() const { return runtime.windowsDirectory + QStringLiteral("/quirel.txt"); }
    QString namePath() const { return runtime.windowsDirectory + QStringLiteral("/nquirel.txt"); }

    /// Ends the match with the exit button and checks the record decision:
    /// the record files change only for a higher score, and then hold the
    /// score and the player's name, each with CR LF.
    void exitAndCheckRecord()
    {
        const QByteArray scoreBefore = fileBytes(scorePath());
        const QByteArray nameBefore = fileBytes(namePath());
        const double record = lenientNumber(caption("lblpunti"));
        const QString score = caption("lblScore");
        runtime.messages.clear();
        try {
            tavola.cmdExit_Click();
            std::abort(); // the exit button always ends the program
        } catch (const ProgramEnd &) {
        } catch (const RuntimeFailure &) {
            std::abort(); // ordinary files in a writable directory never fail
        }
        const bool beaten = record < strictNumber(score);
        const QByteArray scoreAfter = fileBytes(scorePath());
        const QByteArray nameAfter = fileBytes(namePath());
        if (beaten) {
            if (scoreAfter != score.toUtf8() + "\r\n" ||
                nameAfter != caption("lblnome1").toLocal8Bit() + "\r\n" ||
                runtime.messages.size() != 1)
                std::abort();
        } else if (scoreAfter != scoreBefore || nameAfter != nameBefore ||
                   !runtime.messages.isEmpty()) {
            std::abort();
        }
    }
};
