// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/failure.h"
#include "runtime/runtime.h"
#include "runtime/soundplayer.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <optional>

/// A runtime whose boxes are scripted and recorded, whose random numbers can
/// be given in advance, whose record directory is a fresh temporary one kept
/// by the record service as a build tree starts it, and whose EndProgram
/// throws ProgramEnd instead of ending the test.
class FakeRuntime final : public Runtime
{
public:
    /// A box as the child saw it.
    struct Box
    {
        static constexpr int Input = -1; // the style of an input box
        QString text;                    // the message, or the input box's prompt
        int style = OkOnly;
        QString title = {}; // null: the program's name
        friend bool operator==(const Box &, const Box &) = default;
    };

    FakeRuntime()
        : Runtime(RecordStore([this] { return startServiceChild(SEQUILLA_SERVICE, folder()); },
                              QStringLiteral("test")))
    {
    }
    QList<Box> boxes;
    QStringList failures;               // the run-time error boxes
    QList<int> replies;                 // the answers of the next message boxes; Ok when none
    QStringList typed;                  // what is typed in the next input boxes; "" when none
    std::function<void()> whileBoxOpen; // runs inside each box, as a tick could
    QList<float> randoms;               // the next values of NextRandom
    int randomDraws = 0;
    std::optional<int> endStatus;
    QTemporaryDir recordDir;

    int ShowMessage(const QString &text, int style, const QString &title) override
    {
        open({text, style, title});
        return replies.isEmpty() ? Ok : replies.takeFirst();
    }
    QString AskText(const QString &prompt) override
    {
        open({prompt, Box::Input});
        return typed.isEmpty() ? QString() : typed.takeFirst();
    }
    float NextRandom() override
    {
        ++randomDraws;
        return randoms.isEmpty() ? Runtime::NextRandom() : randoms.takeFirst();
    }

protected:
    [[noreturn]] void endProgram(int status) override { throw ProgramEnd{*(endStatus = status)}; }
    void showFailure(const QString &message) override { failures << message; }

private:
    QByteArray folder() const { return QFile::encodeName(recordDir.path()); }
    void open(Box box)
    {
        boxes << std::move(box);
        if (whileBoxOpen)
            whileBoxOpen();
    }
};

/// Remembers what it was asked to warm up and to play, and plays nothing.
struct FakeSound final : SoundPlayer
{
    QList<QStringList> warmUps;
    QStringList played; // the paths, in order
    void warmUp(const QStringList &paths) override { warmUps << paths; }
    void play(const QString &path) override { played << path; }
};
