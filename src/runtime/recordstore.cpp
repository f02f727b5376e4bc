// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordstore.h"

#include "failure.h"
#include "request.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <utility>

namespace {

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

void RecordStore::startLoading()
{
    m_loading = send(Request{});
}

RecordStore::Texts RecordStore::load()
{
    const Reply reply = receive(m_loading.valid() ? std::exchange(m_loading, {}) : send(Request{}));
    if (reply.kind != Reply::Loaded)
        fail(QStringLiteral("il servizio del record ha dato una risposta sconosciuta"));
    return {QString::fromStdString(reply.score), QString::fromStdString(reply.name)};
}

bool RecordStore::saveIfHigher(const QString &scoreText, const QString &name)
{
    const Reply reply =
        receive(send(Request{true, scoreText.toInt(), name.toUtf8().toStdString()}));
    if (reply.kind != Reply::Written && reply.kind != Reply::Kept)
        fail(QStringLiteral("il servizio del record ha dato una risposta sconosciuta"));
    return reply.kind == Reply::Written;
}

// A new connection with request sent on it; an invalid one (errno set) when
// there is no service to send it to.
UniqueFd RecordStore::send(const Request &request)
{
    const std::string message = encodeRequest(request);
    UniqueFd socket = m_connect();
    if (socket.valid() && ::send(socket.get(), message.data(), message.size(), MSG_NOSIGNAL) !=
                              ssize_t(message.size()))
        return {};
    return socket;
}

// The reply on socket, which must be no failure.
Reply RecordStore::receive(const UniqueFd &socket)
{
    if (!socket.valid())
        fail(QStringLiteral("il servizio del record non risponde (%1). Un amministratore lo "
                            "avvia con: sudo systemctl enable --now sequilla-record.socket")
                 .arg(reasonOf(errno)));
    pollfd answer{socket.get(), POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&answer, 1, int(replyLimit.count()));
    while (ready < 0 && errno == EINTR);
    QByteArray reply(maxReplyBytes, Qt::Uninitialized);
    const ssize_t got =
        ready == 1 ? ::recv(socket.get(), reply.data(), maxReplyBytes, MSG_DONTWAIT) : -1;
    if (got == 0)
        fail(QStringLiteral("il servizio del record si è chiuso senza rispondere"));
    if (got < 0)
        fail(QStringLiteral("il servizio del record non ha risposto entro %1 secondi")
                 .arg(replyLimit.count() / 1000));
    const std::optional<Reply> parsed =
        parseReply(std::string_view(reply.constData(), size_t(got)));
    if (!parsed)
        fail(QStringLiteral("il servizio del record ha dato una risposta sconosciuta"));
    switch (parsed->kind) {
    case Reply::Busy:
        fail(QStringLiteral("il servizio del record è occupato; riprova tra poco"));
    case Reply::Denied:
        fail(QStringLiteral("questo account non fa parte della classe che può giocare"));
    case Reply::Refused:
        fail(QStringLiteral("il servizio del record ha rifiutato la richiesta"));
    case Reply::Failed:
        fail(QStringLiteral("la cartella del record non si può usare (%1)")
                 .arg(reasonOf(parsed->error)));
    default:
        return *parsed;
    }
}

void RecordStore::fail(const QString &reason) const
{
    throw RuntimeFailure(
        QStringLiteral("Errore di esecuzione: impossibile usare il record di Sequilla (%1): %2.")
            .arg(m_where, reason));
}

UniqueFd connectToService(const char *socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath, sizeof address.sun_path - 1);
    const auto *named = reinterpret_cast<const sockaddr *>(&address);
    // A full queue (another account's flood) is tried again for a while;
    // a connect never waits on its own.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(3);
    for (;;) {
        UniqueFd socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (!socket.valid() || ::connect(socket.get(), named, sizeof address) == 0)
            return socket;
        if (errno != EAGAIN || Clock::now() >= end)
            return {};
        ::poll(nullptr, 0, 10);
    }
}

QByteArray serviceBesideProgram()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return QByteArray::fromStdString((program.parent_path() / "sequilla-record").string());
}

UniqueFd startServiceChild(const QByteArray &program, const QByteArray &folder)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return {};
    UniqueFd game(ends[0]), service(ends[1]);
    const char *const argv[] = {program.constData(), "--child",
                                folder.isEmpty() ? nullptr : folder.constData(), nullptr};
    // Started twice over, so that the service is nobody's child here and no
    // zombie is left: the first child starts it and ends at once.
    const pid_t starter = ::fork();
    if (starter == 0) {
        // The connection goes on descriptor 3, open across the exec.
        const int fd = service.get();
        if (::fork() == 0 && (fd == 3 ? ::fcntl(3, F_SETFD, 0) : ::dup2(fd, 3)) >= 0)
            ::execv(argv[0], const_cast<char *const *>(argv));
        ::_exit(0);
    }
    if (starter < 0)
        return {};
    int status = 0;
    while (::waitpid(starter, &status, 0) < 0 && errno == EINTR) {
    }
    return game;
}
