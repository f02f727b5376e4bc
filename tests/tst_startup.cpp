// SPDX-License-Identifier: GPL-3.0-or-later
// The start of a match and its countdown clock.
#include "ui/tavola.h"
#include "windowfixture.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <memory>

class StartUpTest : public QObject, WindowFixture
{
    Q_OBJECT

    QTimer *timer() const { return tavola->findChild<QTimer *>(QStringLiteral("Timer1")); }
    QString recordFile(const char *name) const
    {
        return runtime->windowsDirectory + u'/' + QLatin1String(name);
    }

private slots:
    void init() { makeWindow(); }
    void cleanup() { QVERIFY(destroyWindow()); }

    void startUpAsksTheNameAndGreets_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("greeting");
        QTest::newRow("a name") << "Anna"
                                << " Anna vediamo se sei un vero campione  ";
        QTest::newRow("Cancel or nothing typed") << ""
                                                 << "  vediamo se sei un vero campione  ";
        QTest::newRow("spaces kept as typed")
            << " Maria  Grazia "
            << "  Maria  Grazia  vediamo se sei un vero campione  ";
    }
    void startUpAsksTheNameAndGreets()
    {
        QFETCH(QString, typed);
        QFETCH(QString, greeting);
        runtime->promptReplies = {typed};
        tavola->Show();
        QCOMPARE(runtime->prompts, QStringList{QStringLiteral("Come ti chiami?")});
        QCOMPARE(runtime->messages.size(), 1);
        QCOMPARE(runtime->messages.first().text, greeting);
        QCOMPARE(runtime->messages.first().style, 0);
        QVERIFY(runtime->messages.first().title.isNull());
        QCOMPARE(caption("lblnome1"), typed);
        QCOMPARE(tavola->matchState().playerName, typed);
    }

    void startUpBoxesComeBeforeTheWindowAndNoTickFallsInThem()
    {
        QStringList seen;
        runtime->whileBoxOpen = [&] {
            seen << QStringLiteral("%1 %2").arg(tavola->isVisible()).arg(timer()->isActive());
        };
        tavola->Show();
        QCOMPARE(seen, QStringList({"0 0", "0 0"}));
        QVERIFY(timer()->isActive());
        QCOMPARE(timer()->interval(), 1000);
        QVERIFY(tavola->isVisible());
    }

    void windowOpensWithTheClockAtFiveMinutesAndCountersAtZero()
    {
        tavola->matchState().correctCount = 9;
        tavola->Show();
        QCOMPARE(caption("lblconto"), QStringLiteral("00:05:00"));
        QCOMPARE(caption("lblScore"), QStringLiteral("0"));
        QCOMPARE(tavola->matchState().correctCount, 0);
        QCOMPARE(tavola->matchState().wrongCount, 0);
        QCOMPARE(tavola->matchState().windowsDir, runtime->windowsDirectory + u'/');
    }

    void firstRunCreatesEmptyRecordFiles()
    {
        tavola->Show();
        QCOMPARE(QFileInfo(recordFile("quirel.txt")).size(), 0);
        QVERIFY(QFileInfo(recordFile("quirel.txt")).isFile());
        QVERIFY(QFileInfo(recordFile("nquirel.txt")).isFile());
        QCOMPARE(caption("lblpunti"), QString());
        QCOMPARE(caption("lblnome"), QString());
    }

    void missingRecordDirectoryEndsBeforeTheWindowShows()
    {
        runtime->windowsDirectory = runtime->recordDir.path() + QStringLiteral("/gone");
        tavola->Show();
        QCOMPARE(runtime->failures.size(), 1);
        QVERIFY(runtime->failures.first().contains(runtime->windowsDirectory));
        QCOMPARE(runtime->endStatus, std::optional<int>(1));
        QVERIFY(!tavola->isVisible());
    }

    void clockCountsDownOneSecondATick_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("shown");
        QTest::newRow("first") << 1 << "00:04:59";
        QTest::newRow("59th") << 59 << "00:04:01";
        QTest::newRow("60th") << 60 << "00:04:00";
        QTest::newRow("61st borrows a minute") << 61 << "00:03:59";
        QTest::newRow("240th") << 240 << "00:01:00";
        QTest::newRow("299th") << 299 << "00:00:01";
        QTest::newRow("300th, play goes on") << 300 << "00:00:00";
    }
    void clockCountsDownOneSecondATick()
    {
        QFETCH(int, ticks);
        QFETCH(QString, shown);
        tavola->Show();
        runtime->messages.clear();
        for (int tick = 0; tick < ticks; ++tick) {
            tavola->Timer1_Timer();
            QVERIFY(tavola->matchState().seconds >= 0 && tavola->matchState().seconds <= 59);
        }
        QCOMPARE(caption("lblconto"), shown);
        QCOMPARE(runtime->messages.size(), 0);
        QCOMPARE(runtime->endStatus, std::nullopt);
    }

    void tickAfterZeroEndsTheGame()
    {
        tavola->Show();
        runtime->messages.clear();
        for (int tick = 0; tick < 300; ++tick)
            tavola->Timer1_Timer();
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, tavola->Timer1_Timer());
        QCOMPARE(runtime->messages.size(), 1);
        QCOMPARE(runtime->messages.first().text, QStringLiteral("Ciao, alla prossima sfida. "));
    }

    void realTimerTicksOnceASecond()
    {
        tavola->Show();
        QTRY_COMPARE_WITH_TIMEOUT(caption("lblconto"), QStringLiteral("00:04:59"), 2500);
    }
};

QTEST_MAIN(StartUpTest)
#include "tst_startup.moc"
