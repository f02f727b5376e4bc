// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's text-to-number conversions, and the one-line
// files of the record in a directory every user of the machine can write:
// exact bytes, a save that never loses the old file, nothing there followed
// blindly, and every failure naming the path and the reason.
#include "runtime/conversions.h"
#include "runtime/int16.h"
#include "runtime/randomsource.h"
#include "runtime/recordkeeper.h"
#include "runtime/textfiles.h"
#include "tavolatester.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <clocale>
#include <cstring>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QFileDevice::Permissions everyoneReadsAndWrites(0x6666);

// What the record keeper of the files at score and name replies to one
// request, each reply followed by "|".
QByteArray keeperReplies(const QString &score, const QString &name, const QByteArray &request)
{
    int ends[2] = {-1, -1};
    ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends);
    const UniqueFd held[]{openRecord(score), openRecord(name)}, window(ends[0]), keeper(ends[1]);
    ::send(window.get(), request.constData(), size_t(request.size()), 0);
    ::shutdown(window.get(), SHUT_WR); // the keeper ends after this request
    serveRecord(keeper.get(), held[0].get(), held[1].get(), std::chrono::milliseconds(300));
    QByteArray got, reply(70000, Qt::Uninitialized);
    for (ssize_t size; (size = ::recv(window.get(), reply.data(), 70000, MSG_DONTWAIT)) > 0;)
        got += reply.first(size) + '|';
    return got;
}

} // namespace

class RuntimeTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    const QString score = dir.path() + u"/quirel.txt"_s, name = dir.path() + u"/nquirel.txt"_s;

private slots:
    void initTestCase()
    {
        std::setlocale(LC_ALL, "it_IT.UTF-8"); // whose decimal separator is a comma
        ::umask(022); // a common umask: files every user must replace stay 0666
    }
    void cleanup() { QFile::remove(score); }

    // What a record file or the answer box may hold. The lenient reading
    // takes the leading number, 0 when there is none, and never fails; the
    // strict one takes a whole number or fails (NaN here).
    void textToNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("lenient");
        // clang-format off
        QTest::newRow("empty")             << ""         << 0.0;
        QTest::newRow("blanks, then text") << "   12abc" << 12.0;
        QTest::newRow("no hexadecimal")    << "0x1A"     << 0.0;
        QTest::newRow("-5")                << "-5"       << -5.0;
        QTest::newRow("+6")                << "+6"       << 6.0;
        QTest::newRow("2.5")               << "2.5"      << 2.5;
        QTest::newRow("1e3")               << "1e3"      << 1000.0;
        QTest::newRow("5e-1")              << "5e-1"     << 0.5;
        QTest::newRow("e without digits")  << "12e"      << 12.0;
        QTest::newRow("x is no exponent")  << "2x5"      << 2.0;
        // clang-format on
    }
    void textToNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, lenient);
        QCOMPARE(lenientNumber(text), lenient);
    }

    // An answer past 16 bits is no number. Random numbers reach up to 1,
    // never 1.
    void numbersKeepTheirRange()
    {
        QCOMPARE(roundToInt16(-32768.4), -32768);
        QCOMPARE(roundToInt16(32767.4), 32767);
        QCOMPARE(checkedAdd(32766, 1), 32767);
        QCOMPARE(roundToInt16(32767.5), std::nullopt);
        RandomSource random;
        float largest = 0;
        for (int i = 0; i < 1000; ++i)
            largest = std::max(largest, random.next());
        QVERIFY(largest > 0.99f && largest < 1);
    }

    // Record files are read as UTF-8 when they are valid UTF-8, else in the
    // code page of Italian Windows, Windows-1252.
    void recordTextIsUtf8OrWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("UTF-8")              << QByteArray("Niccol\xc3\xb2\r\n") << "Niccolò\r\n";
        QTest::newRow("1252 quotes, euro")  << QByteArray("\x93Lu\x92\xa0\x80\x94") << "“Lu’\u00a0€”";
        QTest::newRow("undefined in 1252")  << QByteArray("Lu\x81" "ca")          << "Lu\uFFFDca";
        // clang-format on
    }
    void recordTextIsUtf8OrWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(writeFile(score, bytes));
        QCOMPARE(readTextFile(score), text);
    }

    void filesAreMadeReadAndReplacedWholeForEveryone()
    {
        QCOMPARE(existingDirectory(dir.path()), dir.path() + u'/');
        const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT)) + u'.';
        QVERIFY(failureOf([&] { readTextFile(score); }).endsWith(missing));
        QVERIFY(failureOf([&] { existingDirectory(score + "/gone"); }).contains(u"non esiste"));
        ensureTextFile(score);
        QCOMPARE(bytesOf(score), QByteArray());
        QCOMPARE(QFile::permissions(score), everyoneReadsAndWrites);
        QVERIFY(writeFile(score, QByteArray(maxTextFileBytes, '7') + "\r\nmore"));
        ensureTextFile(score); // an existing file stays as it is
        QCOMPARE(readTextFile(score), QString(maxTextFileBytes, u'7')); // never more than this
        QVERIFY(::chmod(QFile::encodeName(score).constData(), 0600) == 0);
        writeTextLine(score, QStringLiteral("Niccolò"));
        QCOMPARE(bytesOf(score), QByteArray("Niccol\xc3\xb2\r\n"));
        QCOMPARE(QFile::permissions(score), everyoneReadsAndWrites);
        const QString inAFile = score + QStringLiteral("/x"); // its folder is a file
        QVERIFY(failureOf([&] { writeTextLine(inAFile, {}); }).contains(inAFile + u'"'));
    }

    // The record keeper answers the two well-formed requests alone, and ends
    // at any other: a score in the counter's range with no leading zero, a
    // name that the name prompt lets a child type. It never waits for the
    // lock past its limit.
    void keeperAnswersWellFormedRequestsOnly_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("locked");        // by another copy, for longer than the limit
        QTest::addColumn<QByteArray>("replies"); // "|" between them
        QTest::addColumn<QByteArray>("record");  // both files afterwards
        const QByteArray kept = "3\r\nAda\r\n", longest(256, 'a');
        // clang-format off
        QTest::newRow("load")               << "load"_ba               << false << "S3\r\n|NAda\r\n"_ba << kept;
        QTest::newRow("load, locked")       << "load"_ba               << true  << "E0-5"_ba << kept;
        QTest::newRow("save, higher")       << "save 4 Niccol\xc3\xb2 Bo"_ba << false << "W"_ba << "4\r\nNiccol\xc3\xb2 Bo\r\n"_ba;
        QTest::newRow("save, tie")          << "save 3 Bo"_ba          << false << "K"_ba << kept;
        QTest::newRow("save, empty name")   << "save 5 "_ba            << false << "W"_ba << "5\r\n\r\n"_ba;
        QTest::newRow("longest request")    << "save 32767 " + longest << false << "W"_ba << "32767\r\n" + longest + "\r\n";
        QTest::newRow("past 16 bits")       << "save 32768 Bo"_ba      << false << "R"_ba << kept;
        QTest::newRow("leading zero")       << "save 04 Bo"_ba         << false << "R"_ba << kept;
        QTest::newRow("no name")            << "save 4"_ba             << false << "R"_ba << kept;
        QTest::newRow("line break")         << "save 4 Bo\r\n9"_ba     << false << "R"_ba << kept;
        QTest::newRow("tab")                << "save 4 B\to"_ba         << false << "R"_ba << kept;
        QTest::newRow("next line, C1")      << "save 4 \xc2\x85"_ba    << false << "R"_ba << kept;
        QTest::newRow("line separator")     << "save 4 \xe2\x80\xa8"_ba << false << "R"_ba << kept;
        QTest::newRow("overlong UTF-8")     << "save 4 \xe0\x80\xaf"_ba << false << "R"_ba << kept;
        QTest::newRow("surrogate")          << "save 4 \xed\xa0\x80"_ba << false << "R"_ba << kept;
        QTest::newRow("name too long")      << "save 4 a" + longest    << false << "R"_ba << kept;
        // clang-format on
    }
    void keeperAnswersWellFormedRequestsOnly()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, locked);
        QFETCH(QByteArray, replies);
        QFETCH(QByteArray, record);
        QVERIFY(writeFile(score, "3\r\n") && writeFile(name, "Ada\r\n"));
        const UniqueFd other = openRecord(score);
        QCOMPARE(::flock(other.get(), locked ? LOCK_EX : LOCK_UN), 0);
        QCOMPARE(keeperReplies(score, name, request), replies + '|');
        QCOMPARE(bytesOf(score) + bytesOf(name), record);
    }

    // On a full disk a save changes nothing: in a build tree the old file
    // stays and no temporary file is left; the installed game's keeper
    // writes neither file when the name cannot be written whole.
    void aFullDiskLeavesTheRecordAsItWas()
    {
        const QTemporaryDir disk;
        if (::mount("tmpfs", QFile::encodeName(disk.path()), "tmpfs", 0, "size=64k") != 0)
            QSKIP("only root can make a small disk");
        const auto unmount =
            qScopeGuard([&] { ::umount2(QFile::encodeName(disk.path()), MNT_DETACH); });
        const QString score = disk.path() + u"/quirel.txt"_s,
                      name = disk.path() + u"/nquirel.txt"_s;
        QVERIFY(writeFile(score, "3\r\n") && writeFile(name, ""));   // the name has no block yet
        writeFile(disk.filePath(u"fill"_s), QByteArray(70000, 'x')); // as far as it goes
        const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC)) + u'.';
        QVERIFY(failureOf([&] { writeTextLine(score, u"4"_s); }).endsWith(noSpace));
        QCOMPARE(keeperReplies(score, name, "save 4 Bo"), "E1" + QByteArray::number(ENOSPC) + '|');
        QCOMPARE(bytesOf(score) + bytesOf(name), "3\r\n");
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files),
                 QStringList({"fill", "nquirel.txt", "quirel.txt"}));
    }

    // The installed game's start, set-group-id (staged by root): a record
    // file is held only when it is regular, single, root's and the group's;
    // then the program keeps the user's group alone, no path to load code
    // from, no command line.
    void setGroupIdStartHoldsOnlyTheRecord_data()
    {
        QTest::addColumn<QString>("staged"); // shell commands in the record's folder
        QTest::addColumn<QString>("held");   // the score file's report
        const QString start = " QT_PLUGIN_PATH=/x " SETGIDSTART " 4242 4343 -platformpluginpath"_L1;
        // clang-format off
        QTest::newRow("held")            << "CANBERRA_DRIVER=pulse" + start         << "held";
        QTest::newRow("standard closed") << start + " <&- >&- 2>&-"                 << "held";
        QTest::newRow("not root's")      << "chown 1 quirel.txt;" + start           << "non appartiene a root e al gruppo del programma.";
        QTest::newRow("two links")       << "ln quirel.txt x;" + start              << "ha altri collegamenti.";
        QTest::newRow("dangling link")   << "rm quirel.txt; ln -s gone quirel.txt;" + start << QString::fromLocal8Bit(std::strerror(ELOOP)) + u'.';
        QTest::newRow("folder")          << "rm quirel.txt; mkdir quirel.txt;" + start     << QString::fromLocal8Bit(std::strerror(EISDIR)) + u'.';
        QTest::newRow("fifo")            << "rm quirel.txt; mkfifo quirel.txt;" + start    << "non è un file normale.";
        QTest::newRow("missing")         << "rm quirel.txt;" + start                << QString::fromLocal8Bit(std::strerror(ENOENT)) + u'.';
        // clang-format on
    }
    void setGroupIdStartHoldsOnlyTheRecord()
    {
        if (::geteuid() != 0)
            QSKIP("only root can stage a set-group-id start");
        QFETCH(QString, staged);
        QFETCH(QString, held);
        QTemporaryDir record;
        QProcess shell;
        shell.setWorkingDirectory(record.path());
        const QString files =
            u"printf '7\\r\\n' | tee quirel.txt nquirel.txt; chown 0:4343 *.txt;"_s;
        shell.start(u"sh"_s, {u"-ec"_s, "export CANBERRA_DRIVER=/x/evil; " + files + staged});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(shell.exitCode(), 0);
        const QStringList left = QString(bytesOf(record.filePath(u"report"_s))).split(u'\n');
        QVERIFY(left.value(0).endsWith(held)); // the score file
        const QString driver = staged.contains(u"pulse") ? u"pulse"_s : QString();
        QCOMPARE(left.mid(2), QStringList({u"groups=4242 4242 4242"_s, u"arguments=1"_s,
                                           u"plugins="_s, "driver=" + driver}));
    }
};

QTEST_MAIN(RuntimeTest)
#include "tst_runtime.moc"
