// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/failure.h"
#include "runtime/runtime.h"
#include "runtime/soundplayer.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <optional>

/// A runtime whose boxes are scripted and recorded, whose random numbers can
/// be given in advance, whose record directory is a fresh temporary one, and
/// whose EndProgram throws ProgramEnd instead of ending the test.
class FakeRuntime final : public Runtime
{
public:
    using Runtime::Runtime;
    QStringList boxes;                  // each box: its text (or prompt), style and title
    QStringList failures;               // the run-time error boxes
    QList<int> replies;                 // the answers of the next message boxes; Ok when none
    QStringList typed;                  // what is typed in the next input boxes; "" when none
    std::function<void()> whileBoxOpen; // runs inside each box, as a tick could
    QList<float> randoms;               // the next values of NextRandom
    int randomDraws = 0, reseeds = 0;
    std::optional<int> endStatus;
    QTemporaryDir recordDir;
    QString windowsDirectory = recordDir.path();

    int ShowMessage(const QString &text, int style, const QString &title) override
    {
        open(QStringLiteral("%1|%2|%3").arg(text).arg(style).arg(title.isNull() ? "-" : title));
        return replies.isEmpty() ? Ok : replies.takeFirst();
    }
    QString AskText(const QString &prompt) override
    {
        open(prompt + QStringLiteral("|?"));
        return typed.isEmpty() ? QString() : typed.takeFirst();
    }
    void open(const QString &box)
    {
        boxes << box;
        if (whileBoxOpen)
            whileBoxOpen();
    }
    float NextRandom() override
    {
        ++randomDraws;
        return randoms.isEmpty() ? Runtime::NextRandom() : randoms.takeFirst();
    }
    void ReseedFromClock() override { ++reseeds; }
    QString WindowsDirectory() const override { return windowsDirectory; }

protected:
    [[noreturn]] void endProgram(int status) override { throw ProgramEnd{*(endStatus = status)}; }
    void showFailure(const QString &message) override { failures << message; }
};

/// Remembers what it was asked to warm up, and plays nothing.
struct FakeSound final : SoundPlayer
{
    QList<QStringList> warmUps;
    void warmUp(const QStringList &paths) override { warmUps << paths; }
    void play(const QString &) override {}
};

/// The window as tests and benchmarks drive it: its handlers and match state
/// within reach, its controls by name.
class TavolaTester : public Tavola
{
public:
    using Tavola::cmdNext_Click, Tavola::Timer1_Timer, Tavola::txtAnswer_KeyPress;
    using Tavola::LoadRecord, Tavola::SaveRecord, Tavola::Tavola;
    MatchState &state() { return m_state; }
    QWidget *control(const QString &name) const { return findChild<QWidget *>(name); }
    QString caption(const QString &name) const { return findChild<QLabel *>(name)->text(); }
};

/// The bytes of a file, or "<missing>".
inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
