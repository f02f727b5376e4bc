// SPDX-License-Identifier: GPL-3.0-or-later
// The record files: their exact bytes, start-up that changes nothing, saves
// that never lose the old record, and nothing in the shared directory
// followed blindly.
#include "runtime/failure.h"
#include "runtime/textfiles.h"
#include "ui/tavola.h"
#include "windowfixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// The failure's message, or "" when the call did not fail.
template <typename Call>
QString failureOf(Call &&call)
{
    try {
        call();
    } catch (const RuntimeFailure &failure) {
        return failure.message();
    }
    return {};
}

} // namespace

class RecordFilesTest : public QObject, WindowFixture
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;

    QString score() const { return dir->path() + QStringLiteral("/quirel.txt"); }
    QString name() const { return dir->path() + QStringLiteral("/nquirel.txt"); }
    QStringList entries() const
    {
        return QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

private slots:
    void initTestCase()
    {
        ::umask(022); // a typical umask: files made for everyone must still be 0666
        std::signal(SIGXFSZ, SIG_IGN);
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        makeWindow();
        tavola->Show();
        tavola->matchState().windowsDir = dir->path() + u'/';
    }
    void cleanup()
    {
        QVERIFY(destroyWindow());
        dir.reset();
    }

    void systemDirIsTheBuiltInDirectoryWithOneSeparator()
    {
        QCOMPARE(runtime->Runtime::WindowsDirectory(), QStringLiteral(SEQUILLA_RECORD_DIR));
        QCOMPARE(tavola->GetSystemDir(), runtime->windowsDirectory + u'/');
        QCOMPARE(existingDirectory(dir->path() + u'/'), dir->path() + u'/');
    }

    void missingOrNonDirectoryRecordDirectoryFails()
    {
        const QString missing = dir->path() + QStringLiteral("/missing");
        QVERIFY(failureOf([&] { existingDirectory(missing); }).contains(missing));
        QVERIFY(writeFile(score(), "1"));
        const QString message = failureOf([&] { existingDirectory(score()); });
        QVERIFY(message.contains(score()));
        QVERIFY(message.contains(u"non è una cartella"));
    }

    void firstStartCreatesBothFilesEmptyForEveryone()
    {
        tavola->EnsureRecordFiles();
        tavola->LoadRecord();
        QCOMPARE(fileBytes(score()), QByteArray());
        QCOMPARE(fileBytes(name()), QByteArray());
        QCOMPARE(caption("lblpunti"), QString());
        QCOMPARE(caption("lblnome"), QString());
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(score()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0666));
    }

    void startUpChangesNoExistingFile()
    {
        QVERIFY(writeFile(score(), "15\r\nnote di mano\r\n"));
        QVERIFY(writeFile(name(), "Anna\r\n"));
        tavola->EnsureRecordFiles();
        tavola->LoadRecord();
        QCOMPARE(fileBytes(score()), QByteArray("15\r\nnote di mano\r\n"));
        QCOMPARE(fileBytes(name()), QByteArray("Anna\r\n"));
        // Read whole, line ends and all.
        QCOMPARE(caption("lblpunti"), QStringLiteral("15\r\nnote di mano\r\n"));
        QCOMPARE(caption("lblnome"), QStringLiteral("Anna\r\n"));
    }

    void saveWritesTheTextAndCrLfOnly_data()
    {
        QTest::addColumn<QString>("scoreText");
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QByteArray>("nameBytes");
        QTest::newRow("twelve, Anna") << "12"
                                      << "Anna" << QByteArray("Anna\r\n");
        QTest::newRow("empty name") << "3"
                                    << "" << QByteArray("\r\n");
        QTest::newRow("inner and trailing spaces")
            << "4"
            << " Maria  Grazia  " << QByteArray(" Maria  Grazia  \r\n");
        QTest::newRow("accented name") << "5"
                                       << "Niccolò" << QByteArray("Niccol\xc3\xb2\r\n");
    }
    void saveWritesTheTextAndCrLfOnly()
    {
        QFETCH(QString, scoreText);
        QFETCH(QString, holder);
        QFETCH(QByteArray, nameBytes);
        tavola->EnsureRecordFiles();
        tavola->SaveRecord(scoreText, holder);
        QCOMPARE(fileBytes(score()), scoreText.toLatin1() + "\r\n");
        QCOMPARE(fileBytes(name()), nameBytes);
        tavola->LoadRecord();
        QCOMPARE(caption("lblpunti"), scoreText + QStringLiteral("\r\n"));
        QCOMPARE(caption("lblnome"), holder + QStringLiteral("\r\n"));
        // The doubled separator named the files in the directory itself, and
        // no temporary file is left behind.
        QVERIFY(tavola->matchState().windowsDir.endsWith(u'/'));
        QCOMPARE(entries(), QStringList({"nquirel.txt", "quirel.txt"}));
    }

    void saveCutsALongerFileBackToTheOneLine()
    {
        QVERIFY(writeFile(score(), QByteArray(5000, '9') + "\r\nmore\r\n"));
        QVERIFY(writeFile(name(), "a very long name written by hand\r\nand a second line\r\n"));
        tavola->SaveRecord(QStringLiteral("7"), QStringLiteral("Lia"));
        QCOMPARE(fileBytes(score()), QByteArray("7\r\n"));
        QCOMPARE(fileBytes(name()), QByteArray("Lia\r\n"));
    }

    void saveThatCannotWriteLeavesTheOldRecordWhole()
    {
        // A file-size limit makes the write itself fail, halfway through.
        QVERIFY(writeFile(score(), "8\r\n"));
        QVERIFY(writeFile(name(), "Anna\r\n"));
        rlimit old{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit tiny = old;
        tiny.rlim_cur = 3;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
        const QString message =
            failureOf([&] { tavola->SaveRecord(QStringLiteral("12345"), QStringLiteral("Bo")); });
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &old), 0);
        QVERIFY(message.contains(score()));
        QCOMPARE(fileBytes(score()), QByteArray("8\r\n"));
        QCOMPARE(fileBytes(name()), QByteArray("Anna\r\n"));
        QCOMPARE(entries(), QStringList({"nquirel.txt", "quirel.txt"}));
    }

    void directoryAtTheNamePathFailsAfterTheScoreIsWhole()
    {
        QVERIFY(writeFile(score(), "8\r\n"));
        QVERIFY(QDir().mkdir(name()));
        const QString message =
            failureOf([&] { tavola->SaveRecord(QStringLiteral("9"), QStringLiteral("Bo")); });
        QVERIFY(message.contains(name()));
        QVERIFY(message.contains(u"cartella"));
        QCOMPARE(fileBytes(score()), QByteArray("9\r\n"));
        QVERIFY(QFileInfo(name()).isDir());
        QCOMPARE(entries(), QStringList({"nquirel.txt", "quirel.txt"}));
    }

    void symbolicLinkIsNeverFollowed_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("ensure") << "ensure";
        QTest::newRow("load") << "load";
        QTest::newRow("save") << "save";
    }
    void symbolicLinkIsNeverFollowed()
    {
        QFETCH(QString, operation);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.path() + QStringLiteral("/precious.txt");
        QVERIFY(writeFile(target, "keep me\n"));
        QVERIFY(QFile::link(target, score()));
        QVERIFY(writeFile(name(), "\r\n"));
        const QString message = failureOf([&] {
            if (operation == u"ensure")
                tavola->EnsureRecordFiles();
            else if (operation == u"load")
                tavola->LoadRecord();
            else
                tavola->SaveRecord(QStringLiteral("99"), QStringLiteral("Bo"));
        });
        QVERIFY(message.contains(score()));
        QVERIFY(message.contains(u"collegamento simbolico"));
        QCOMPARE(fileBytes(target), QByteArray("keep me\n"));
        QVERIFY(QFileInfo(score()).isSymLink());
    }

    void danglingLinkCreatesNothingThroughIt()
    {
        const QString target = dir->path() + QStringLiteral("/created-through-link");
        QVERIFY(QFile::link(target, score()));
        QVERIFY(!failureOf([&] { tavola->EnsureRecordFiles(); }).isEmpty());
        QVERIFY(!QFileInfo::exists(target));
    }

    void fifoAtARecordPathFailsWithoutWaiting()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(score()).constData(), 0666), 0);
        QVERIFY(writeFile(name(), "\r\n"));
        QVERIFY(failureOf([&] { tavola->LoadRecord(); }).contains(u"non è un file normale"));
        QVERIFY(failureOf([&] { tavola->EnsureRecordFiles(); }).contains(score()));
        QVERIFY(failureOf([&] {
                    tavola->SaveRecord(QStringLiteral("1"), QString());
                }).contains(score()));
    }

    void hugeFileIsReadOnlyUpToItsLimit()
    {
        QVERIFY(writeFile(score(), QByteArray(10 * 1024 * 1024, '7')));
        const QString text = tavola->Leggifiletxt(score());
        QCOMPARE(text.size(), maxTextFileBytes);
        QVERIFY(text.startsWith(u"777"));
    }

    void invalidBytesReadAsReplacementCharacters()
    {
        QVERIFY(writeFile(name(), QByteArray("Lu\xff\xfe"
                                             "ca\0!\r\n",
                                             9)));
        QCOMPARE(tavola->Leggifiletxt(name()), QString::fromUtf16(u"Lu\uFFFD\uFFFDca\0!\r\n", 9));
    }

    void racingSavesNeverLeaveATornFile()
    {
        // Two copies of the program saving at once: every read sees one whole
        // record or the other, never an empty or a mixed file.
        tavola->SaveRecord(QStringLiteral("1"), QStringLiteral("Anna"));
        const QString path = score();
        std::atomic<int> writerFailures{0};
        auto writer = [&](QString text) {
            for (int i = 0; i < 300; ++i) {
                try {
                    writeTextLine(path, text);
                } catch (const RuntimeFailure &) {
                    ++writerFailures;
                }
            }
        };
        std::thread first(writer, QStringLiteral("1"));
        std::thread second(writer, QStringLiteral("2222222222"));
        int reads = 0;
        QStringList torn;
        while (reads < 3000) {
            const QString text = readTextFile(path);
            if (text != u"1\r\n" && text != u"2222222222\r\n")
                torn << text;
            ++reads;
        }
        first.join();
        second.join();
        QCOMPARE(torn, QStringList());
        QCOMPARE(writerFailures.load(), 0);
        QCOMPARE(entries(), QStringList({"nquirel.txt", "quirel.txt"}));
    }
};

QTEST_MAIN(RecordFilesTest)
#include "tst_recordfiles.moc"
