// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>

/// A run-time failure of the quiz: an overflow, a strict conversion of a text
/// that is not a number, a record file that cannot be used. Thrown by the
/// runtime's helpers; the window's event entry points turn it into the error
/// box and the end of the program, so it never crosses the event loop.
class RuntimeFailure : public std::exception
{
public:
    explicit RuntimeFailure(QString message)
        : m_message(std::move(message))
    {
    }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return "Sequilla run-time failure"; }

private:
    QString m_message;
};

/// Thrown by a runtime whose EndProgram cannot end the process (the tests'
/// runtime). The window's event entry points swallow it; the real runtime ends
/// the process instead and never throws it.
struct ProgramEnd
{
    int status = 0;
};
