// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "request.h"
#include "uniquefd.h"

#include <QString>

#include <chrono>
#include <functional>

/// The record of the whole machine, as the game reaches it: through the
/// record service (sequilla-record), the one program that reads and writes
/// the record files, one request a connection. The game holds no record
/// file, so nothing a pupil's settings load into its process can reach
/// them; at most it can ask for a save, as playing does.
///
/// Every failure (no service, no answer in time, a refusal, the record's
/// folder failing) throws RuntimeFailure with a message that says what to do.
class RecordStore
{
public:
    /// Opens a new connection to the record service, or returns an invalid
    /// one with errno set.
    using Connect = std::function<UniqueFd()>;
    /// How long the game waits for the service's reply: longer than the
    /// service waits for the record's lock.
    static constexpr std::chrono::milliseconds replyLimit{12000};

    explicit RecordStore(Connect connect, QString where)
        : m_connect(std::move(connect))
        , m_where(std::move(where))
    {
    }

    /// Asks for the record now, so that the answer is ready by the time the
    /// window loads it: the program's start does this before Qt starts,
    /// while systemd starts the service. Failures show when it is loaded.
    void startLoading();

    /// The record's two texts: the score file's (quirel.txt) and the name
    /// file's (nquirel.txt), each as it stands there, its line end included,
    /// and both "" while there is no record.
    struct Texts
    {
        QString score, name;
    };
    /// The record as the service read it for one load, so that both texts
    /// are of one save: the answer to startLoading's request when there is
    /// one, else to a request made now.
    Texts load();

    /// Saves score (the digits of 0..32767) with name unless the record is
    /// at least that score by now; says whether it saved.
    bool saveIfHigher(const QString &scoreText, const QString &name);

private:
    UniqueFd send(const Request &request);
    Reply receive(const UniqueFd &socket);
    [[noreturn]] void fail(const QString &reason) const;

    Connect m_connect;
    QString m_where;    // the service's socket, or the record's folder, as the error box names it
    UniqueFd m_loading; // a load asked for before it was needed
};

/// A connection to the record service that systemd listens for at
/// socketPath; invalid, errno set, when nothing listens there.
UniqueFd connectToService(const char *socketPath);

/// The path of the record service beside the running program, as a build
/// tree has it; known before Qt starts.
QByteArray serviceBesideProgram();

/// A connection to a record service of the game's own: program, started
/// with --child on one end of a socket pair, serves the one request and
/// ends. For a build tree, where the user's own account keeps the record,
/// in the folder the service was built for, or in folder when given.
UniqueFd startServiceChild(const QByteArray &program, const QByteArray &folder = {});
