// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/failure.h"
#include "runtime/runtime.h"
#include "runtime/soundplayer.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <optional>

/// A runtime whose boxes are scripted and recorded, whose random numbers can
/// be given in advance, whose record directory is a fresh temporary one, and
/// whose EndProgram throws ProgramEnd instead of ending the test.
class FakeRuntime final : public Runtime
{
public:
    struct Message
    {
        QString text;
        int style;
        QString title;
    };

    QList<Message> messages;
    QList<int> messageReplies;          // answers of the next boxes; Ok when empty
    std::function<void()> whileBoxOpen; // runs inside each box, as a tick could
    QStringList prompts;
    QStringList promptReplies; // typed texts of the next input boxes; "" when empty
    QList<float> randoms;      // the next values of NextRandom
    int randomDraws = 0;
    int reseeds = 0;
    QStringList failures;
    std::optional<int> endStatus;
    QTemporaryDir recordDir;
    QString windowsDirectory = recordDir.path(); // where the record files go

    int ShowMessage(const QString &text, int style, const QString &title) override
    {
        messages.append({text, style, title});
        if (whileBoxOpen)
            whileBoxOpen();
        return messageReplies.isEmpty() ? Ok : messageReplies.takeFirst();
    }
    QString AskText(const QString &prompt) override
    {
        prompts.append(prompt);
        if (whileBoxOpen)
            whileBoxOpen();
        return promptReplies.isEmpty() ? QString() : promptReplies.takeFirst();
    }
    float NextRandom() override
    {
        ++randomDraws;
        if (!randoms.isEmpty())
            return randoms.takeFirst();
        // The base generator, never reseeded here: the same draws every run.
        return Runtime::NextRandom();
    }
    void ReseedFromClock() override { ++reseeds; }
    QString WindowsDirectory() const override { return windowsDirectory; }

protected:
    [[noreturn]] void endProgram(int status) override
    {
        endStatus = status;
        throw ProgramEnd{status};
    }
    void showFailure(const QString &message) override { failures.append(message); }
};

/// Remembers what it was asked to warm up and to play.
class FakeSound final : public SoundPlayer
{
public:
    QList<QStringList> warmUps;
    std::function<void()> onWarmUp;
    QStringList played;
    void warmUp(const QStringList &paths) override
    {
        warmUps.append(paths);
        if (onWarmUp)
            onWarmUp();
    }
    void play(const QString &path) override { played.append(path); }
};
