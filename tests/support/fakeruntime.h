// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/failure.h"
#include "runtime/runtime.h"
#include "runtime/soundplayer.h"

#include "service.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <vector>

/// A runtime whose boxes are scripted and recorded, whose random numbers can
/// be given in advance, whose record directory is a fresh temporary one kept
/// by a record service in the test's own threads, and whose EndProgram
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
        : Runtime(RecordStore([this] { return serveInThread(); }, QStringLiteral("test")))
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
    QString windowsDirectory = recordDir.path();
    std::chrono::milliseconds lockLimit{5000}; // the record service's

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
    QString WindowsDirectory() const override { return windowsDirectory; }

protected:
    [[noreturn]] void endProgram(int status) override { throw ProgramEnd{*(endStatus = status)}; }
    void showFailure(const QString &message) override { failures << message; }

private:
    // A connection to a record service of the test's own, in a thread,
    // keeping its record in windowsDirectory.
    UniqueFd serveInThread()
    {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
            return {};
        m_serving.emplace_back(
            [service = UniqueFd(ends[1]), folder = QFile::encodeName(windowsDirectory), this] {
                ServiceRules rules;
                rules.folder = folder.constData();
                rules.lockLimit = lockLimit;
                serveConnection(service.get(), rules);
            });
        return UniqueFd(ends[0]);
    }

    void open(Box box)
    {
        boxes << std::move(box);
        if (whileBoxOpen)
            whileBoxOpen();
    }

    std::vector<std::jthread> m_serving; // joined before the folder goes
};

/// Remembers what it was asked to warm up and to play, and plays nothing.
struct FakeSound final : SoundPlayer
{
    QList<QStringList> warmUps;
    QStringList played; // the paths, in order
    void warmUp(const QStringList &paths) override { warmUps << paths; }
    void play(const QString &path) override { played << path; }
};
