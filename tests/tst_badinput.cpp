// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever lies in the record files: the program starts, shows it, plays,
// and decides the record on what it shows, without failing and without
// losing the record it keeps. The rows are the table of bad inputs in the
// README.
#include "windowfixture.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

class BadInputTest : public QObject, WindowFixture
{
    Q_OBJECT

    QString score() const { return runtime->windowsDirectory + QStringLiteral("/quirel.txt"); }
    QString name() const { return runtime->windowsDirectory + QStringLiteral("/nquirel.txt"); }

    // Answers right `points` times, through the answer box.
    void scorePoints(int points)
    {
        auto *box = control<QLineEdit>(QStringLiteral("txtAnswer"));
        for (int i = 0; i < points; ++i) {
            tavola->cmdNext_Click();
            box->setText(QString::number(tavola->matchState().expectedAnswer));
            QTest::keyClick(box, Qt::Key_Return);
        }
    }

private slots:
    void recordFilesHoldingAnything_data()
    {
        QTest::addColumn<bool>("inScoreFile"); // else in the name file
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shownStart"); // what the label shows first
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("saved");
        const QByteArray tenMegabytes(10 * 1024 * 1024, '7');
        const QByteArray binary("\x01\x02\xff\x00\x10\x80\x7f", 7);
        // The score file, with "Anna" as the holder's name.
        QTest::newRow("score: binary bytes")
            << true << binary << QString::fromUtf16(u"\x01\x02\uFFFD") << 1 << true;
        QTest::newRow("score: invalid UTF-8") << true
                                              << QByteArray("\xff\xfe"
                                                            "12\r\n")
                                              << QString::fromUtf16(u"\uFFFD\uFFFD12") << 1 << true;
        QTest::newRow("score: 10 MB of sevens (an endless record)")
            << true << tenMegabytes << QStringLiteral("7777777") << 2 << false;
        QTest::newRow("score: 1e999 (an endless record)")
            << true << QByteArray("1e999\r\n") << QStringLiteral("1e999") << 2 << false;
        QTest::newRow("score: -5, beaten by nought")
            << true << QByteArray("-5\r\n") << QStringLiteral("-5") << 0 << true;
        QTest::newRow("score: '   12abc' reads 12")
            << true << QByteArray("   12abc") << QStringLiteral("   12abc") << 12 << false;
        QTest::newRow("score: '   12abc' beaten by 13")
            << true << QByteArray("   12abc") << QStringLiteral("   12abc") << 13 << true;
        QTest::newRow("score: only CR LF reads 0")
            << true << QByteArray("\r\n") << QStringLiteral("\r\n") << 1 << true;
        QTest::newRow("score: NUL byte ends the number") << true
                                                         << QByteArray("3\0"
                                                                       "9",
                                                                       3)
                                                         << QString::fromUtf16(u"3\0"
                                                                               "9",
                                                                               3)
                                                         << 3 << false;
        // The name file, with a record of 1.
        QTest::newRow("name: binary bytes")
            << false << binary << QString::fromUtf16(u"\x01\x02\uFFFD") << 2 << true;
        QTest::newRow("name: invalid UTF-8") << false
                                             << QByteArray("Lu\xff"
                                                           "ca")
                                             << QString::fromUtf16(u"Lu\uFFFDca") << 2 << true;
        QTest::newRow("name: 10 MB of text")
            << false << tenMegabytes << QStringLiteral("7777777") << 2 << true;
        QTest::newRow("name: only CR LF")
            << false << QByteArray("\r\n") << QStringLiteral("\r\n") << 1 << false;
        QTest::newRow("name: NUL byte")
            << false << QByteArray("Bo\0b", 4) << QString::fromUtf16(u"Bo\0b", 4) << 2 << true;
    }
    void recordFilesHoldingAnything()
    {
        QFETCH(bool, inScoreFile);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shownStart);
        QFETCH(int, points);
        QFETCH(bool, saved);
        makeWindow();
        runtime->promptReplies = {QStringLiteral("Lia")};
        const QByteArray scoreBytes = inScoreFile ? bytes : QByteArray("1\r\n");
        const QByteArray nameBytes = inScoreFile ? QByteArray("Anna\r\n") : bytes;
        QVERIFY(writeFile(score(), scoreBytes));
        QVERIFY(writeFile(name(), nameBytes));

        tavola->Show();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!caption(QStringLiteral("lblNum1")).isEmpty());
        const QString shown =
            caption(inScoreFile ? QStringLiteral("lblpunti") : QStringLiteral("lblnome"));
        QVERIFY2(shown.startsWith(shownStart), qPrintable(shown.left(20)));
        QVERIFY(shown.size() <= 64 * 1024);
        QVERIFY(!tavola->grab().isNull()); // it paints, however long the text

        scorePoints(points);
        control<QAbstractButton>(QStringLiteral("cmdExit"))->click();
        QCOMPARE(runtime->failures, QStringList());
        QCOMPARE(runtime->endStatus, std::optional<int>(0));
        if (saved) {
            QCOMPARE(fileBytes(score()), QByteArray::number(points) + "\r\n");
            QCOMPARE(fileBytes(name()), QByteArray("Lia\r\n"));
        } else {
            QCOMPARE(fileBytes(score()), scoreBytes);
            QCOMPARE(fileBytes(name()), nameBytes);
        }
        QVERIFY(destroyWindow());
    }
};

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"
