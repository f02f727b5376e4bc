// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "randomsource.h"
#include "recordstore.h"

#include <QString>

#include <cstdlib>

/// The services the quiz logic asks of its runtime: modal boxes, random
/// numbers, the end of the program and the report of a run-time failure.
/// The program uses QtRuntime; tests script their own.
class Runtime
{
public:
    /// Box styles and results, with the values the quiz logic passes and tests.
    enum Style : int
    {
        OkOnly = 0,
        YesNoQuestionDefaultNo = 292
    };
    enum Answer : int
    {
        Ok = 1,
        Yes = 6,
        No = 7
    };

    explicit Runtime(RecordStore record)
        : m_record(std::move(record))
    {
    }
    virtual ~Runtime() = default;

    /// A modal message box; returns when it is closed, with No (7) only for
    /// the No button of style 292. A null title shows the program's name.
    virtual int ShowMessage(const QString &text, int style = OkOnly,
                            const QString &title = QString()) = 0;
    /// A modal box with an edit field, OK and Cancel; Cancel gives "".
    virtual QString AskText(const QString &prompt) = 0;

    /// Uniform in [0, 1), never 1.
    virtual float NextRandom() { return m_random.next(); }
    virtual void ReseedFromClock() { m_random.seedFromClock(); }

    /// The record of the whole machine, through the record service.
    RecordStore &Record() { return m_record; }

    /// Ends the program with the given exit status at once: nothing of the
    /// calling handler, nor of any handler it is nested in, runs afterwards.
    [[noreturn]] void EndProgram(int status = 0)
    {
        endProgram(status);
        std::abort(); // endProgram does not return
    }

    /// Reports a run-time failure in one modal error box, then ends the
    /// program with a non-zero status.
    [[noreturn]] void Fail(const QString &message)
    {
        showFailure(message);
        EndProgram(1);
    }

protected:
    /// Ends the process, or (a test runtime) throws ProgramEnd.
    [[noreturn]] virtual void endProgram(int status) = 0;
    virtual void showFailure(const QString &message) = 0;

private:
    RandomSource m_random;
    RecordStore m_record;
};
