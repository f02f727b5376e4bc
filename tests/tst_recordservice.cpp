// SPDX-License-Identifier: GPL-3.0-or-later
// The record service: the requests it answers and refuses, a save that is
// all or nothing wherever the service is stopped, who may reach it, and the
// record an upgrade keeps from the files of an earlier version.
#include "files.h"
#include "recordfolder.h"
#include "request.h"
#include "service.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

UniqueFd openFolder(const QString &path)
{
    return UniqueFd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY));
}

// The reply on socket within 3 s, request sent on it first unless empty:
// "" when the service closed it unanswered, "<none>" when nothing came.
QByteArray answerOn(const UniqueFd &socket, const QByteArray &request = {})
{
    if (!request.isEmpty())
        ::send(socket.get(), request.constData(), size_t(request.size()), MSG_NOSIGNAL);
    pollfd reply{socket.get(), POLLIN, 0};
    QByteArray bytes(1024, Qt::Uninitialized);
    const ssize_t size =
        ::poll(&reply, 1, 3000) == 1 ? ::recv(socket.get(), bytes.data(), 1024, 0) : -1;
    return size < 0 ? "<none>"_ba : bytes.first(size);
}

// The service's reply to one request on a connection of its own, "" when
// it sent none.
QByteArray replyTo(const QByteArray &request, const ServiceRules &rules)
{
    int ends[2] = {-1, -1};
    ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends);
    UniqueFd client(ends[0]), service(ends[1]);
    ::send(client.get(), request.constData(), size_t(request.size()), 0);
    serveConnection(service.get(), rules);
    service.close();
    return answerOn(client);
}

// A socket named path, listening there (a service's), or connected to it.
UniqueFd namedSocket(const QString &path, bool listening, int type = SOCK_SEQPACKET)
{
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(),
                 sizeof address.sun_path - 1);
    const auto *named = reinterpret_cast<const sockaddr *>(&address);
    UniqueFd socket(::socket(AF_UNIX, type | SOCK_CLOEXEC, 0));
    const bool done = listening ? ::bind(socket.get(), named, sizeof address) == 0 &&
                                      ::listen(socket.get(), 8) == 0
                                : ::connect(socket.get(), named, sizeof address) == 0;
    return done ? std::move(socket) : UniqueFd();
}

// Runs call in a child process that the hook kills at step stop; says
// whether the hook stopped it there.
bool stoppedAt(int stop, const std::function<void(const StepHook &)> &call)
{
    const pid_t child = ::fork();
    if (child == 0) {
        call([stop](int step) {
            if (step == stop)
                ::raise(SIGKILL);
        });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

} // namespace

class RecordServiceTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    const QString score = dir.filePath(u"quirel.txt"_s), name = dir.filePath(u"nquirel.txt"_s);
    UniqueFd folder = openFolder(dir.path());
    const QByteArray folderPath = QFile::encodeName(dir.path());
    ServiceRules rules{folderPath.constData(), 300ms, 300ms};

    // The record as a load finds it, the load stopped at the hook's step.
    RecordTexts loaded(const StepHook &hook = {})
    {
        RecordTexts read;
        loadRecord(folder.get(), read, hook);
        return read;
    }
    QStringList leftInFolder() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void init()
    {
        QFile::remove(dir.filePath(u"socket"_s)); // where a service listens
        // The record, and its lock's file as the first request leaves it, so
        // that each test may run alone.
        QVERIFY(writeFile(score, "3\r\n") && writeFile(name, "Ada\r\n") &&
                writeFile(dir.filePath(u".lock"_s), {}));
    }

    // The service answers the two well-formed requests alone: a score in the
    // counter's range with no leading zero, a name that the name prompt
    // lets a child type. It reads the files as the game always has (a
    // teacher may write them by hand): their texts whole, names from Windows
    // in its code page, the score file's leading number as the record; but
    // a score past 16 bits would keep the record for ever, and is none.
    // Missing files are made empty.
    void serviceAnswersWellFormedRequestsOnly_data()
    {
        QTest::addColumn<QByteArray>("before"); // score file | name file; <missing> for none
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("after"); // empty: as before
        const QByteArray kept = "3\r\n|Ada\r\n", longest(256, 'a');
        // clang-format off
        QTest::newRow("load")               << kept << "load"_ba << "L3 3\r\nAda\r\n"_ba << ""_ba;
        QTest::newRow("load, no files")     << "<missing>|<missing>"_ba << "load"_ba << "L0 "_ba << "|"_ba;
        QTest::newRow("load, 1e999")        << "1e999|Ada\r\n"_ba << "load"_ba << "L0 "_ba << ""_ba;
        QTest::newRow("load, -32768")       << "-32768\r\n|Ada\r\n"_ba << "load"_ba << "L8 -32768\r\nAda\r\n"_ba << ""_ba;
        QTest::newRow("load, 32768")        << "32768\r\n|Ada\r\n"_ba << "load"_ba << "L0 "_ba << ""_ba;
        QTest::newRow("load, 1252 name")    << "3\r\n|Niccol\xf2\r\n"_ba << "load"_ba << "L3 3\r\nNiccol\xc3\xb2\r\n"_ba << ""_ba;
        QTest::newRow("load, LF, no end")   << "25\n|Ada"_ba << "load"_ba << "L3 25\nAda"_ba << ""_ba;
        QTest::newRow("load, text after")   << " 7abc\r\nxyz|\r\n"_ba << "load"_ba << "L10  7abc\r\nxyz\r\n"_ba << ""_ba;
        QTest::newRow("save, tie with 7")   << " 7abc\r\nxyz|\r\n"_ba << "save 7 Bo"_ba << "K"_ba << ""_ba;
        QTest::newRow("save over 7abc")     << " 7abc\r\nxyz|\r\n"_ba << "save 8 Bo"_ba << "W"_ba << "8\r\n|Bo\r\n"_ba;
        QTest::newRow("save 0, no record")  << "|"_ba << "save 0 Bo"_ba << "K"_ba << ""_ba;
        QTest::newRow("save, higher")       << kept << "save 9 Niccol\xc3\xb2 \xee\x80\x80"_ba << "W"_ba << "9\r\n|Niccol\xc3\xb2 \xee\x80\x80\r\n"_ba;
        QTest::newRow("save 0")             << kept << "save 0 Bo"_ba << "K"_ba << ""_ba;
        QTest::newRow("save, tie")          << kept << "save 3 Bo"_ba << "K"_ba << ""_ba;
        QTest::newRow("save over 1e999")    << "1e999|Ada\r\n"_ba << "save 1 Bo"_ba << "W"_ba << "1\r\n|Bo\r\n"_ba;
        QTest::newRow("save, empty name")   << kept << "save 5 "_ba << "W"_ba << "5\r\n|\r\n"_ba;
        QTest::newRow("save, 3 and 4 bytes") << kept << "save 5 \xe0\xa4\x85\xf0\x9f\x98\x80"_ba << "W"_ba << "5\r\n|\xe0\xa4\x85\xf0\x9f\x98\x80\r\n"_ba;
        QTest::newRow("longest request")    << kept << "save 32767 " + longest << "W"_ba << "32767\r\n|" + longest + "\r\n";
        QTest::newRow("past 16 bits")       << kept << "save 32768 Bo"_ba << "R"_ba << ""_ba;
        QTest::newRow("leading zero")       << kept << "save 04 Bo"_ba << "R"_ba << ""_ba;
        QTest::newRow("no name")            << kept << "save 4"_ba << "R"_ba << ""_ba;
        QTest::newRow("load with more")     << kept << "load now"_ba << "R"_ba << ""_ba;
        QTest::newRow("line break")         << kept << "save 4 Bo\r\n9"_ba << "R"_ba << ""_ba;
        QTest::newRow("next line, C1")      << kept << "save 4 \xc2\x85"_ba << "R"_ba << ""_ba;
        QTest::newRow("line separator")     << kept << "save 4 \xe2\x80\xa8"_ba << "R"_ba << ""_ba;
        QTest::newRow("overlong UTF-8")     << kept << "save 4 \xe0\x80\xaf"_ba << "R"_ba << ""_ba;
        QTest::newRow("surrogate")          << kept << "save 4 \xed\xa0\x80"_ba << "R"_ba << ""_ba;
        QTest::newRow("cut character")      << kept << "save 4 \xc3"_ba << "R"_ba << ""_ba;
        QTest::newRow("lead continuing")    << kept << "save 4 \x80\x90\x80\x80"_ba << "R"_ba << ""_ba;
        QTest::newRow("name too long")      << kept << "save 4 a" + longest << "R"_ba << ""_ba;
        QTest::newRow("far too long")       << kept << "save 4 " + QByteArray(70000, 'a') << "R"_ba << ""_ba;
        QTest::newRow("empty, as a close")  << kept << ""_ba << ""_ba << ""_ba;
        // clang-format on
    }
    void serviceAnswersWellFormedRequestsOnly()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, after);
        const QList<QByteArray> files = before.split('|');
        for (const auto &[path, bytes] : {std::pair(score, files[0]), std::pair(name, files[1])})
            QVERIFY(bytes == "<missing>" ? QFile::remove(path) : writeFile(path, bytes));
        QCOMPARE(replyTo(request, rules), reply);
        QCOMPARE(bytesOf(score) + '|' + bytesOf(name), after.isEmpty() ? before : after);
        QCOMPARE(leftInFolder(), QStringList({u".lock"_s, u"nquirel.txt"_s, u"quirel.txt"_s}));
    }

    // A request waits while the record's lock is held, within the limit,
    // and is answered "busy" past it: never a hang.
    void aHeldLockIsWaitedForWithinItsLimit()
    {
        const UniqueFd other(::openat(folder.get(), ".lock", O_RDWR | O_CREAT, 0600));
        QCOMPARE(::flock(other.get(), LOCK_EX), 0);
        QCOMPARE(replyTo("save 9 Bo", rules), "B"_ba);
        std::jthread release([&] { ::usleep(100000), ::flock(other.get(), LOCK_UN); });
        QCOMPARE(replyTo("save 9 Bo", {folderPath.constData(), 300ms, 5000ms}), "W"_ba);
    }

    // Killed at any step of a save, and then at any step of the recovery
    // that follows, the service leaves the old record or the new one, never
    // a mix, and no file of its own work.
    void aSaveIsAllOrNothingWhereverItStops()
    {
        const RecordTexts before{"3\r\n", "Ada\r\n"}, after{"12\r\n", "Zorro\r\n"};
        const auto save = [&](const StepHook &hook) {
            loaded(), saveRecord(folder.get(), Record{12, "Zorro"}, hook);
        };
        const auto load = [&](const StepHook &hook) { loaded(hook); };
        // A whole journal is finished, the shortest too (no name); one
        // damaged on disk is dropped: the files hold the record.
        QVERIFY(writeFile(dir.filePath(u".journal"_s), "5\r\n\r\n"));
        QVERIFY(loaded() == RecordTexts({"5\r\n", "\r\n"}));
        QVERIFY(writeFile(score, "3\r\n") && writeFile(name, "Ada\r\n"));
        QVERIFY(writeFile(dir.filePath(u".journal"_s), "12"));
        QVERIFY(loaded() == before);
        QCOMPARE(leftInFolder(), QStringList({u".lock"_s, u"nquirel.txt"_s, u"quirel.txt"_s}));
        int stops = 0;
        for (int step = 1; stoppedAt(step, save); ++step) {
            for (int recovery = 1; stoppedAt(recovery, load); ++recovery)
                ++stops;
            const RecordTexts read = loaded();
            QVERIFY2(read == before || read == after, qPrintable(QString::number(step)));
            QCOMPARE(read == after, step >= 2); // from the journal's rename on
            QCOMPARE(leftInFolder(), QStringList({u".lock"_s, u"nquirel.txt"_s, u"quirel.txt"_s}));
            QVERIFY(writeFile(score, "3\r\n") && writeFile(name, "Ada\r\n"));
            ++stops;
        }
        // Each of the save's 10 steps; after the 7 that leave the journal in
        // place (2 to 8), each step of the recovery up to the journal's removal.
        QCOMPARE(stops, 10 + 7 * 6);
    }

    // On a full disk a save fails, and the record stays whole: the old one
    // where nothing of the save could be written, the new one where its
    // journal could (a load reads it there); with room again, a load puts
    // that record in the files, and nothing else is left.
    void aFullDiskKeepsTheRecordWhole_data()
    {
        QTest::addColumn<QByteArray>("options"); // of the small disk
        QTest::addColumn<int>("freed");          // filler files removed before the save
        QTest::addColumn<QByteArray>("loaded");
        const QByteArray old = "L3 3\r\nAda\r\n", saved = "L4 41\r\nEva\r\n";
        QTest::newRow("no byte left") << "size=64k"_ba << 0 << old;
        QTest::newRow("no inode left") << "size=1m,nr_inodes=16"_ba << 0 << old;
        QTest::newRow("room for the journal") << "size=1m,nr_inodes=16"_ba << 1 << saved;
    }
    void aFullDiskKeepsTheRecordWhole()
    {
        QFETCH(QByteArray, options);
        QFETCH(int, freed);
        QFETCH(QByteArray, loaded);
        const QTemporaryDir disk;
        const QByteArray smallPath = QFile::encodeName(disk.path());
        if (::mount("tmpfs", smallPath, "tmpfs", 0, options.constData()) != 0)
            QSKIP("no small disk: mounting one needs root, and a place that allows it");
        const auto unmount = qScopeGuard([&] { ::umount2(smallPath, MNT_DETACH); });
        const ServiceRules full{smallPath.constData(), 300ms, 300ms};
        QVERIFY(writeFile(disk.filePath(u"quirel.txt"_s), "3\r\n") &&
                writeFile(disk.filePath(u"nquirel.txt"_s), "Ada\r\n"));
        QCOMPARE(replyTo("load", full), "L3 3\r\nAda\r\n"_ba); // its lock made
        // Files of a page while there is room for them.
        int files = 0;
        while (writeFile(disk.filePath(QString::number(files)), QByteArray(4096, 'x')))
            ++files;
        for (int i = 1; i <= freed; ++i)
            QVERIFY(QFile::remove(disk.filePath(QString::number(i))));
        QCOMPARE(replyTo("save 41 Eva", full), "E" + QByteArray::number(ENOSPC));
        QCOMPARE(replyTo("load", full), loaded);
        for (int i = 0; i <= files; ++i)
            QFile::remove(disk.filePath(QString::number(i)));
        QCOMPARE(replyTo("load", full), loaded);
        QCOMPARE(bytesOf(disk.filePath(u"quirel.txt"_s)) + bytesOf(disk.filePath(u"nquirel.txt"_s)),
                 loaded.mid(loaded.indexOf(' ') + 1)); // the files' texts in the reply
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({u".lock"_s, u"nquirel.txt"_s, u"quirel.txt"_s}));
    }

    // The listening service, in a process of its own: it serves each
    // connection's request, also while another waits for the record's lock;
    // answers "busy" at once past an account's share (three here, the one
    // being served counted); closes unanswered a connection whose request
    // did not come in time; and once idle it ends, having never spun: its
    // CPU time stays far below the second and a half it ran.
    void theListenerServesEachInTurn()
    {
        const QString path = dir.filePath(u"socket"_s);
        const UniqueFd listener = namedSocket(path, true);
        const UniqueFd lock(::openat(folder.get(), ".lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        QCOMPARE(::flock(lock.get(), LOCK_EX), 0);
        // All three wait in the socket's queue before the service starts.
        const UniqueFd loading = namedSocket(path, false), silent = namedSocket(path, false),
                       later = namedSocket(path, false);
        ::send(loading.get(), "load", 4, 0);
        // In a process group of its own, which is all a fault in its killing
        // of workers could reach.
        const pid_t service = ::fork();
        if (service == 0)
            ::setpgid(0, 0), ::alarm(10),
                serveListener(listener.get(), {rules.folder, 300ms, 2000ms, 3}, 300ms), ::_exit(0);
        ::usleep(100000); // loading's request taken, and waiting for the lock
        QCOMPARE(answerOn(namedSocket(path, false)), "B"_ba);
        // Let go of only once the time for a request is up: a request the
        // service missed while a worker waited would be closed unanswered.
        std::jthread release([&] { ::usleep(900000), ::flock(lock.get(), LOCK_UN); });
        QCOMPARE(answerOn(later, "load"), "L3 3\r\nAda\r\n"_ba);
        QCOMPARE(answerOn(loading), "L3 3\r\nAda\r\n"_ba);
        QCOMPARE(answerOn(silent), ""_ba);
        QCOMPARE(answerOn(namedSocket(path, false), "save 9 Bo"), "W"_ba);
        int status = -1;
        rusage used{};
        QCOMPARE(::wait4(service, &status, 0, &used), service);
        QVERIFY(WIFEXITED(status));
        QCOMPARE_LT(used.ru_utime.tv_sec * 1000000 + used.ru_utime.tv_usec +
                        used.ru_stime.tv_sec * 1000000 + used.ru_stime.tv_usec,
                    500000);
    }

    // Started by systemd, the service serves descriptor 3 only when it is
    // one listening SOCK_SEQPACKET socket passed to this very process, and
    // ends with 2 on anything else. Served, it lets nobody in here: the
    // game's folder, found from where it is installed, is not in a build tree.
    void theServiceTakesItsSocketAlone_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<int>("pidPast");      // LISTEN_PID past the service's own
        QTest::addColumn<QByteArray>("reply"); // "" when it ended
        QTest::newRow("its socket") << int(SOCK_SEQPACKET) << true << 0 << "D"_ba;
        QTest::newRow("a stream") << int(SOCK_STREAM) << true << 0 << ""_ba;
        QTest::newRow("not listening") << int(SOCK_SEQPACKET) << false << 0 << ""_ba;
        QTest::newRow("another's") << int(SOCK_SEQPACKET) << true << 1 << ""_ba;
    }
    void theServiceTakesItsSocketAlone()
    {
        QFETCH(int, type);
        QFETCH(bool, listening);
        QFETCH(int, pidPast);
        QFETCH(QByteArray, reply);
        const QString path = dir.filePath(u"socket"_s);
        const UniqueFd socket =
            listening ? namedSocket(path, true, type) : UniqueFd(::socket(AF_UNIX, type, 0));
        const pid_t service = ::fork();
        if (service == 0) { // ended by the alarm should it serve on; its group, as above
            ::setpgid(0, 0), ::alarm(5), ::dup2(socket.get(), 3), ::setenv("LISTEN_FDS", "1", 1);
            ::setenv("LISTEN_PID", QByteArray::number(::getpid() + pidPast), 1);
            ::execl(SEQUILLA_SERVICE, SEQUILLA_SERVICE, nullptr), ::_exit(127);
        }
        if (!reply.isEmpty()) {
            const QByteArray got = answerOn(namedSocket(path, false), "load");
            ::kill(service, SIGKILL);
            QCOMPARE(got, reply);
        }
        int status = 0;
        QCOMPARE(::waitpid(service, &status, 0), service);
        QCOMPARE(WIFEXITED(status) ? WEXITSTATUS(status) : -1, reply.isEmpty() ? 2 : -1);
    }

    // Where the game's folder is closed to others, its group alone plays,
    // and root.
    void onlyTheClassMayPlay()
    {
        const auto plays = [](mode_t mode, uid_t uid, gid_t gid, gid_t extra) {
            return mayPlay(Peer{uid, gid, {extra}}, mode, 500);
        };
        QVERIFY(plays(0755, 1000, 1000, 1000)); // an open folder
        QVERIFY(plays(0750, 1000, 500, 1000));  // the class as the account's group
        QVERIFY(plays(0750, 1000, 1000, 500));  // the class as another group of its
        QVERIFY(plays(0750, 0, 0, 0));          // root
        QVERIFY(!plays(0754, 1000, 1000, 501)); // another class, even where it may read
    }

    // An upgrade keeps an old record only as the service would take it: a
    // well-formed score on the first line of a regular file with one link,
    // and a name the service accepts, cut at 256 bytes between characters.
    void importKeepsOnlyWhatTheServiceAccepts_data()
    {
        QTest::addColumn<QString>("staged"); // shell commands in the old folder
        QTest::addColumn<int>("score");      // -1: no record
        QTest::addColumn<QByteArray>("name");
        // The score file's and the name file's bytes, as printf's %b reads them.
        const auto files = [](const char *arguments) {
            return "set " + QString::fromLatin1(arguments) +
                   u"; printf '%b' \"$1\" >quirel.txt; printf '%b' \"$2\" >nquirel.txt"_s;
        };
        const QByteArray e = "\xc3\xa9";
        // clang-format off
        QTest::newRow("Windows lines")   << files("12 'Bo\\r\\nmore'")  << 12 << "Bo"_ba;
        QTest::newRow("cut at 256")      << files("5 a$(printf '\\303\\251%.0s' $(seq 150))") << 5 << "a" + e.repeated(127);
        QTest::newRow("fifo")            << u"mkfifo quirel.txt"_s           << -1 << ""_ba;
        QTest::newRow("link")            << u"echo 9 >real; ln -s real quirel.txt"_s << -1 << ""_ba;
        QTest::newRow("two links")       << files("9 Bo") + "; ln quirel.txt other" << -1 << ""_ba;
        // clang-format on
    }
    void importKeepsOnlyWhatTheServiceAccepts()
    {
        QFETCH(QString, staged);
        QFETCH(int, score);
        QFETCH(QByteArray, name);
        QTemporaryDir old;
        QVERIFY(QProcess::execute(u"sh"_s, {u"-c"_s, "cd " + old.path() + " && " + staged}) == 0);
        // Into the record's folder, as the package's upgrade imports it.
        QCOMPARE(QProcess::execute(SEQUILLA_SERVICE, {u"--import"_s, old.path(), dir.path()}), 0);
        QCOMPARE(bytesOf(this->score) + bytesOf(this->name),
                 score < 0 ? "3\r\nAda\r\n"_ba
                           : QByteArray::number(score) + "\r\n" + name + "\r\n");
    }
};

QTEST_GUILESS_MAIN(RecordServiceTest)
#include "tst_recordservice.moc"
