// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a match (time up, the exit button) with the record decision,
// and a new match from the menu.
#include "ui/tavola.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <memory>

namespace {

const QString goodbye = QStringLiteral("Ciao, alla prossima sfida. ");
const QString recordMessage = QStringLiteral("Ok! Ho registrato il tuo record, C A M P I O N E");

} // namespace

class GameEndTest : public QObject, WindowFixture
{
    Q_OBJECT

    QString scorePath() const { return runtime->windowsDirectory + QStringLiteral("/quirel.txt"); }
    QString namePath() const { return runtime->windowsDirectory + QStringLiteral("/nquirel.txt"); }
    QLabel *label(const char *name) const { return control<QLabel>(QLatin1String(name)); }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto &message : runtime->messages)
            texts << message.text;
        return texts;
    }
    // Starts a match: the name typed, the record files as given.
    void start(const QString &name, const QByteArray &recordScore, const QByteArray &holder)
    {
        QVERIFY(writeFile(scorePath(), recordScore));
        QVERIFY(writeFile(namePath(), holder));
        runtime->promptReplies = {name};
        tavola->Show();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!label("lblNum1")->text().isEmpty());
        runtime->messages.clear();
        runtime->prompts.clear();
    }
    void answerRight(int times)
    {
        for (int i = 0; i < times; ++i) {
            tavola->cmdNext_Click();
            auto *box = tavola->findChild<QLineEdit *>(QStringLiteral("txtAnswer"));
            box->setText(QString::number(tavola->matchState().expectedAnswer));
            qint16 enter = 13;
            tavola->txtAnswer_KeyPress(enter);
        }
    }
    // Ticks until the clock shows "00:00:00", then the tick that ends the game.
    void runOutTheClock()
    {
        for (int tick = 0; tick < 300; ++tick)
            tavola->Timer1_Timer();
        QCOMPARE(label("lblconto")->text(), QStringLiteral("00:00:00"));
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, tavola->Timer1_Timer());
    }
    QAction *nuovo() const { return tavola->menuBar()->actions().at(2); }

private slots:
    void init() { makeWindow(); }
    void cleanup() { QVERIFY(destroyWindow()); }

    void recordDecision_data()
    {
        QTest::addColumn<QByteArray>("recordScore");
        QTest::addColumn<int>("score");
        QTest::addColumn<bool>("saved");
        QTest::newRow("tie keeps the record") << QByteArray("3\r\n") << 3 << false;
        QTest::newRow("one more beats it") << QByteArray("3\r\n") << 4 << true;
        QTest::newRow("one less keeps it") << QByteArray("3\r\n") << 2 << false;
        QTest::newRow("empty record counts as 0") << QByteArray() << 1 << true;
        QTest::newRow("text record counts as 0") << QByteArray("nessuno\r\n") << 1 << true;
        QTest::newRow("0 never beats an empty record") << QByteArray() << 0 << false;
        QTest::newRow("leading number of several lines")
            << QByteArray("12\r\n99\r\n") << 12 << false;
    }
    void recordDecision()
    {
        QFETCH(QByteArray, recordScore);
        QFETCH(int, score);
        QFETCH(bool, saved);
        start(QStringLiteral("Bo Lu "), recordScore, "Anna\r\n");
        answerRight(score);
        runOutTheClock();
        QCOMPARE(runtime->endStatus, std::optional<int>(0));
        if (saved) {
            QCOMPARE(messageTexts(), QStringList({goodbye, recordMessage}));
            QCOMPARE(fileBytes(scorePath()), QByteArray::number(score) + "\r\n");
            QCOMPARE(fileBytes(namePath()), QByteArray("Bo Lu \r\n"));
        } else {
            QCOMPARE(messageTexts(), QStringList{goodbye});
            QCOMPARE(fileBytes(scorePath()), recordScore);
            QCOMPARE(fileBytes(namePath()), QByteArray("Anna\r\n"));
        }
    }

    void exitButtonDecidesWithoutGoodbye()
    {
        start(QStringLiteral("Lia"), "1\r\n", "Anna\r\n");
        answerRight(2);
        auto *exit = tavola->findChild<QAbstractButton *>(QStringLiteral("cmdExit"));
        exit->click();
        QCOMPARE(messageTexts(), QStringList{recordMessage});
        QCOMPARE(runtime->endStatus, std::optional<int>(0));
        QCOMPARE(fileBytes(scorePath()), QByteArray("2\r\n"));
        QCOMPARE(fileBytes(namePath()), QByteArray("Lia\r\n"));
    }

    void tickDuringTheGoodbyeBoxStartsNoSecondEnd()
    {
        // Ticks go on while the boxes are open; without a guard each would
        // open another goodbye box and save the record again.
        start(QStringLiteral("Lia"), "", "");
        answerRight(1);
        for (int tick = 0; tick < 300; ++tick)
            tavola->Timer1_Timer();
        int nestedTicks = 0;
        runtime->whileBoxOpen = [&] {
            ++nestedTicks;
            tavola->Timer1_Timer();
            tavola->Timer1_Timer();
        };
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, tavola->Timer1_Timer());
        QCOMPARE(nestedTicks, 2);
        QCOMPARE(messageTexts(), QStringList({goodbye, recordMessage}));
        QCOMPARE(label("lblconto")->text(), QStringLiteral("00:00:00"));
    }

    void failedSaveReportsInsteadOfConfirming()
    {
        start(QStringLiteral("Lia"), "", "");
        answerRight(1);
        QFile::remove(scorePath());
        QVERIFY(QDir().mkdir(scorePath()));
        tavola->findChild<QAbstractButton *>(QStringLiteral("cmdExit"))->click();
        QCOMPARE(runtime->failures.size(), 1);
        QVERIFY(runtime->failures.first().contains(u"quirel.txt"));
        QCOMPARE(messageTexts(), QStringList());
        QCOMPARE(runtime->endStatus, std::optional<int>(1));
    }

    void noToANewMatchChangesNothing()
    {
        start(QStringLiteral("Lia"), "", "");
        answerRight(2);
        for (int tick = 0; tick < 10; ++tick)
            tavola->Timer1_Timer();
        const QString number = label("lblNum1")->text();
        runtime->messageReplies = {FakeRuntime::No};
        nuovo()->trigger();
        QCOMPARE(runtime->messages.size(), 1);
        QCOMPARE(runtime->messages.first().text, QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"));
        QCOMPARE(runtime->messages.first().style, 292);
        QCOMPARE(runtime->messages.first().title, QStringLiteral("INIZIARE NUOVA GARA"));
        QCOMPARE(runtime->prompts, QStringList());
        QCOMPARE(label("lblScore")->text(), QStringLiteral("2"));
        QCOMPARE(label("lblNum1")->text(), number);
        QCOMPARE(label("lblconto")->text(), QStringLiteral("00:04:50"));
        tavola->Timer1_Timer();
        QCOMPARE(label("lblconto")->text(), QStringLiteral("00:04:49"));
    }

    void newMatchAsksAgainAndStartsAfresh_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("Cancel at the limit")
            << ""
            << QStringList({"INIZIAMO UNA NUOVA GARA  ?",
                            " Lia siccome non hai scelto arriviamo fino al 10.",
                            " Bo vediamo se sei un vero campione  "});
        QTest::newRow("a limit typed")
            << "5"
            << QStringList({"INIZIAMO UNA NUOVA GARA  ?", " Bo vediamo se sei un vero campione  "});
    }
    void newMatchAsksAgainAndStartsAfresh()
    {
        QFETCH(QString, limit);
        QFETCH(QStringList, messages);
        start(QStringLiteral("Lia"), "1\r\n", "Anna\r\n");
        answerRight(3); // beats the record, which a new match must not write
        for (int tick = 0; tick < 42; ++tick)
            tavola->Timer1_Timer();
        tavola->showNormal();
        tavola->setWindowState(Qt::WindowMinimized);
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Fattorama"));
        QPointer<QLabel> oldNumber = label("lblNum1");

        runtime->messageReplies = {FakeRuntime::Yes};
        runtime->promptReplies = {limit, QStringLiteral("Bo")};
        nuovo()->trigger();

        QCOMPARE(messageTexts(), messages);
        QCOMPARE(runtime->prompts,
                 QStringList({"Tavola pitagorica fino al numero? ", "Come ti chiami?"}));
        QVERIFY(oldNumber.isNull()); // the old controls are gone, not hidden
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Sequilla "));
        QCOMPARE(label("lblScore")->text(), QStringLiteral("0"));
        QCOMPARE(label("lblScore2")->text(), QStringLiteral("0"));
        QCOMPARE(tavola->matchState().correctCount, 0);
        QCOMPARE(label("lblnome1")->text(), QStringLiteral("Bo"));
        QCOMPARE(label("lblconto")->text(), QStringLiteral("00:05:00"));
        QCOMPARE(label("lblpunti")->text(), QStringLiteral("1\r\n"));
        QCOMPARE(label("lblnome")->text(), QStringLiteral("Anna\r\n"));
        QCOMPARE(fileBytes(scorePath()), QByteArray("1\r\n"));
        QVERIFY(!tavola->findChild<QAbstractButton *>(QStringLiteral("cmdNext"))->isEnabled());
        // The reloaded window asks its first question when shown.
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!label("lblNum1")->text().isEmpty());
        tavola->Timer1_Timer();
        QCOMPARE(label("lblconto")->text(), QStringLiteral("00:04:59"));
        QCOMPARE(tavola->findChildren<QLabel *>(QStringLiteral("lblNum1")).size(), 1);
    }

    void newMatchesOneAfterAnotherStayWhole()
    {
        // Reloading from the window's own menu, again and again, under the
        // address sanitizer: no dangling control, no leak of the old ones.
        start(QStringLiteral("Lia"), "", "");
        for (int round = 0; round < 5; ++round) {
            runtime->messageReplies = {FakeRuntime::Yes};
            runtime->promptReplies = {QStringLiteral("10"), QStringLiteral("Lia")};
            nuovo()->trigger();
            QTRY_VERIFY(!label("lblNum1")->text().isEmpty());
            answerRight(1);
            QTest::keyClicks(tavola->findChild<QLineEdit *>(QStringLiteral("txtAnswer")),
                             QStringLiteral("7"));
        }
        QCOMPARE(tavola->findChildren<QLabel *>().size(),
                 tavola->centralWidget()->findChildren<QLabel *>().size());
        QCOMPARE(label("lblScore")->text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(GameEndTest)
#include "tst_gameend.moc"
