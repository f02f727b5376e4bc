// SPDX-License-Identifier: GPL-3.0-or-later
// A match through the window's handlers with a scripted runtime: start-up,
// questions and answers, the countdown, the end with its record decision,
// and new matches.
#include "tavolatester.h"
#include "ui/backdrop.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

class QuizTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeRuntime> runtime;
    FakeSound sound;
    std::unique_ptr<TavolaTester> tavola;

    QLineEdit *box() const { return tavola->control<QLineEdit>("txtAnswer"); }
    QWidget *next() const { return tavola->control("cmdNext"); }
    QString file(const char *name) const { return runtime->windowsDirectory + u'/' + name; }
    QColor surfaceAt(int x, int y) const
    {
        return static_cast<Backdrop *>(tavola->centralWidget())->surface().pixelColor(x, y);
    }
    void start(const QString &name = QStringLiteral("Lia"))
    {
        runtime->promptReplies = {name};
        tavola->Show();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!tavola->caption("lblNum1").isEmpty());
        runtime->messages.clear(), runtime->styles.clear(), runtime->titles.clear();
    }
    void ask(int n, int tint = 7)
    {
        runtime->randoms = {float((tint + 0.5) / 15), float((n + 0.5) / 100)};
        tavola->cmdNext_Click();
    }
    void answer(const QString &typed)
    {
        box()->setText(typed);
        QTest::keyClick(box(), Qt::Key_Return);
    }
    void answerRight(int times)
    {
        for (int i = 0; i < times; ++i) {
            tavola->cmdNext_Click();
            answer(QString::number(tavola->state().expectedAnswer));
        }
    }
    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            tavola->Timer1_Timer();
    }
    void newMatch() { tavola->findChild<QAction *>(QStringLiteral("Next"))->trigger(); }

private slots:
    void init()
    {
        // Any warning but the offscreen platform's own fails the test.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not)")));
        runtime = std::make_unique<FakeRuntime>();
        sound = {};
        tavola = std::make_unique<TavolaTester>(*runtime, sound);
    }
    // The window owns every control and box: nothing outlives it.
    void cleanup()
    {
        tavola.reset();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void startUpAsksTheNameGreetsAndShowsTheRecord_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a name") << "Anna";
        QTest::newRow("Cancel: no name") << "";
        QTest::newRow("blanks kept") << " Maria  Grazia ";
    }
    void startUpAsksTheNameGreetsAndShowsTheRecord()
    {
        QFETCH(QString, name);
        QVERIFY(writeFile(file("quirel.txt"), "15\r\nnota\r\n"));
        QVERIFY(writeFile(file("nquirel.txt"), "Lu\xff"
                                               "ca\r\n"));
        tavola->state().correctCount = tavola->state().wrongCount = 9;
        QStringList seen; // the window and the clock while each box is open
        auto *timer = tavola->findChild<QTimer *>(QStringLiteral("Timer1"));
        runtime->whileBoxOpen = [&] {
            seen << QStringLiteral("%1 %2").arg(tavola->isVisible()).arg(timer->isActive());
        };
        runtime->promptReplies = {name};
        tavola->Show();
        QCOMPARE(seen, QStringList({"0 0", "0 0"}));
        QCOMPARE(runtime->prompts, QStringList{"Come ti chiami?"});
        QCOMPARE(runtime->messages,
                 QStringList{u' ' + name + " vediamo se sei un vero campione  "});
        QCOMPARE(runtime->styles, QList<int>{0});
        QVERIFY(runtime->titles.first().isNull());
        QCOMPARE(tavola->caption("lblnome1"), name);
        QCOMPARE(tavola->caption("lblconto"), QStringLiteral("00:05:00"));
        QCOMPARE(tavola->caption("lblpunti"), QStringLiteral("15\r\nnota\r\n"));
        QCOMPARE(tavola->caption("lblnome"), QStringLiteral("Lu\uFFFDca\r\n"));
        QCOMPARE(bytesOf(file("nquirel.txt")), "Lu\xff"
                                               "ca\r\n");
        QVERIFY(timer->isActive());
        QCOMPARE(tavola->state().wrongCount, 0);
        QTRY_VERIFY(!tavola->caption("lblNum1").isEmpty());
        answer(QString::number(tavola->state().expectedAnswer));
        QCOMPARE(tavola->caption("lblMessage"), "Esatto! " + name + " sei forte!");
        QCOMPARE(tavola->caption("lblScore"), QStringLiteral("1"));
        // The sound system is loaded once the first question is on screen.
        const QString dir = QCoreApplication::applicationDirPath();
        const QList<QStringList> sounds{{dir + "/suoni/Esatto.wav", dir + "/suoni/no.wav"}};
        QTRY_COMPARE(sound.warmUps, sounds);
        tavola->hide();
        tavola->Show();
        QCOMPARE(sound.warmUps.size(), 1);
    }

    void questionIsOneToNinetyNine_data()
    {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("tint");
        const float belowOne = std::nextafter(1.0f, 0.0f);
        QTest::newRow("42") << QList<float>{0.5f, 0.425f} << 42 << 7;
        QTest::newRow("0 is drawn again") << QList<float>{0.5f, 0.0f, 0.009f, 0.425f} << 42 << 7;
        QTest::newRow("smallest draws") << QList<float>{0.0f, 0.015f} << 1 << 0;
        QTest::newRow("largest draws") << QList<float>{belowOne, belowOne} << 99 << 14;
    }
    void questionIsOneToNinetyNine()
    {
        QFETCH(QList<float>, draws);
        QFETCH(int, n);
        QFETCH(int, tint);
        start();
        answer(QStringLiteral("12"));
        const int reseeds = runtime->reseeds;
        runtime->randomDraws = 0;
        runtime->randoms = draws;
        tavola->cmdNext_Click();
        QCOMPARE(runtime->randomDraws, draws.size());
        QCOMPARE(runtime->reseeds, reseeds + 1);
        QCOMPARE(tavola->caption("lblNum1"), QString::number(n));
        QCOMPARE(tavola->state().expectedAnswer, n + 1);
        QCOMPARE(tavola->state().backgroundTint, tint);
        QCOMPARE(box()->text() + tavola->caption("lblMessage"), QString());
        QVERIFY(!next()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), box());
    }

    void answerIsJudged_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("right");
        QTest::newRow("43 for 42") << 42 << "43" << true;
        QTest::newRow("100 for 99") << 99 << "100" << true;
        QTest::newRow("007 for 6") << 6 << "007" << true;
        QTest::newRow("44 for 42") << 42 << "44" << false;
        QTest::newRow("empty box") << 42 << "" << false;
        QTest::newRow("pasted past 16 bits") << 42 << "1e99" << false;
    }
    void answerIsJudged()
    {
        QFETCH(int, n);
        QFETCH(QString, typed);
        QFETCH(bool, right);
        start(QStringLiteral("Anna"));
        ask(n, 9);
        answer(typed);
        QCOMPARE(tavola->caption("lblMessage"), right
                                                    ? QStringLiteral("Esatto! Anna sei forte!")
                                                    : QStringLiteral("Sbagliato!! %1").arg(n + 1));
        QCOMPARE(tavola->caption("lblScore") + tavola->caption("lblScore1") +
                     tavola->caption("lblScore2"),
                 right ? QStringLiteral("101") : QStringLiteral("011"));
        QCOMPARE(sound.played, QStringList{QCoreApplication::applicationDirPath() +
                                           (right ? "/suoni/Esatto.wav" : "/suoni/no.wav")});
        // The gradient: 256 bands down the whole client area, band i in
        // (10t, 10t, i), each row showing the last band that starts on it or
        // above. A wrong answer blackens it all.
        const int w = tavola->centralWidget()->width(), h = tavola->centralWidget()->height();
        for (const int y : {0, (128 * h + 255) / 256, h / 2, h - 1})
            QCOMPARE(surfaceAt(y % w, y),
                     right ? QColor(90, 90, ((y + 1) * 256 - 1) / h) : QColor(Qt::black));
        QCOMPARE(box()->text(), typed);
        QVERIFY(next()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), next());
    }

    // Only digits and Backspace reach the box. On purpose, nothing marks a
    // question answered: every Enter that reaches the box counts again.
    // Enter on Nuovo calcolo, or Escape once it is enabled, asks anew.
    void keysReachTheBoxAndTheButton()
    {
        start();
        QTest::keyClicks(box(), QStringLiteral("a1B- .9,0"));
        QCOMPARE(box()->text(), QStringLiteral("190"));
        QTest::keyClick(box(), Qt::Key_Backspace);
        QGuiApplication::clipboard()->setText(QStringLiteral("43"));
        QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClicks(box(), QStringLiteral("876"));
        QCOMPARE(box()->text(), QStringLiteral("1987")); // four characters at most
        const int draws = runtime->randomDraws;
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        qint16 key = 13;
        tavola->txtAnswer_KeyPress(key);
        tavola->txtAnswer_KeyPress(key);
        QCOMPARE(key, qint16(13));
        QCOMPARE(tavola->caption("lblScore2"), QStringLiteral("2"));
        QCOMPARE(runtime->randomDraws, draws);
        QTest::keyClick(next(), Qt::Key_Return);
        QCOMPARE(runtime->randomDraws, draws + 2);
        answer(QString());
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        QCOMPARE(runtime->randomDraws, draws + 4);
    }

    void clockCountsDownOneSecondATick_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1st") << 1 << "00:04:59";
        QTest::newRow("60th") << 60 << "00:04:00";
        QTest::newRow("61st borrows a minute") << 61 << "00:03:59";
        QTest::newRow("300th: play goes on") << 300 << "00:00:00";
    }
    void clockCountsDownOneSecondATick()
    {
        QFETCH(int, ticks);
        QFETCH(QString, shown);
        start();
        for (int i = 0; i < ticks; ++i) {
            tavola->Timer1_Timer();
            QVERIFY(tavola->state().seconds >= 0 && tavola->state().seconds < 60);
        }
        QCOMPARE(tavola->caption("lblconto"), shown);
        QCOMPARE(runtime->messages, QStringList());
    }

    // Only a strictly higher score beats the record; the decision reads the
    // captions, and ticks during the end's boxes start nothing.
    void recordDecision_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("score");
        QTest::addColumn<bool>("timeUp"); // else the exit button
        QTest::addColumn<bool>("saved");
        QTest::newRow("tie keeps") << QByteArray("3\r\n") << 3 << true << false;
        QTest::newRow("one more beats") << QByteArray("3\r\n") << 4 << true << true;
        QTest::newRow("exit, one more beats") << QByteArray("3\r\n") << 4 << false << true;
        QTest::newRow("exit, one less keeps") << QByteArray("3\r\n") << 2 << false << false;
        QTest::newRow("text record is 0") << QByteArray("nessuno") << 1 << true << true;
        QTest::newRow("0 keeps an empty record") << QByteArray() << 0 << true << false;
        QTest::newRow("1e999 is never beaten") << QByteArray("1e999") << 2 << false << false;
    }
    void recordDecision()
    {
        QFETCH(QByteArray, record);
        QFETCH(int, score);
        QFETCH(bool, timeUp);
        QFETCH(bool, saved);
        QVERIFY(writeFile(file("quirel.txt"), record));
        start(QStringLiteral("Bo Lu "));
        answerRight(score);
        tick(timeUp ? 300 : 7);
        const QString clock = tavola->caption("lblconto");
        runtime->whileBoxOpen = [&] { tick(2); };
        if (timeUp)
            QVERIFY_THROWS_EXCEPTION(ProgramEnd, tavola->Timer1_Timer());
        else
            tavola->control<QAbstractButton>("cmdExit")->click();
        QCOMPARE(runtime->endStatus, 0);
        QCOMPARE(tavola->caption("lblconto"), clock);
        QStringList messages =
            saved ? QStringList{"Ok! Ho registrato il tuo record, C A M P I O N E"} : QStringList();
        if (timeUp)
            messages.prepend(QStringLiteral("Ciao, alla prossima sfida. "));
        QCOMPARE(runtime->messages, messages);
        QCOMPARE(bytesOf(file("quirel.txt")), saved ? QByteArray::number(score) + "\r\n" : record);
        QCOMPARE(bytesOf(file("nquirel.txt")), saved ? QByteArray("Bo Lu \r\n") : QByteArray());
    }

    // On purpose: closing the window through its frame ends the program
    // with no record check.
    void closingTheWindowSkipsTheRecord()
    {
        start();
        answerRight(1);
        tavola->close();
        QCOMPARE(runtime->messages, QStringList());
        QCOMPARE(bytesOf(file("quirel.txt")), QByteArray());
    }

    void counterOverflowEndsTheProgram_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<QString>("typed");
        QTest::newRow("total") << 20000 << 12767 << "1";
    }
    void counterOverflowEndsTheProgram()
    {
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(QString, typed);
        start();
        tavola->state().correctCount = qint16(right);
        tavola->state().wrongCount = qint16(wrong);
        ask(5);
        answer(typed);
        QVERIFY(runtime->failures.value(0).contains(u"overflow"));
        QCOMPARE(runtime->endStatus, 1);
        // The program has ended: no later event reaches a handler.
        const int draws = runtime->randomDraws;
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        newMatch();
        QCOMPARE(runtime->randomDraws, draws);
    }

    void newMatchAsksAgainAndStartsAfresh_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QStringList>("messages");
        const QString question = QStringLiteral("INIZIAMO UNA NUOVA GARA  ?");
        const QString greeting = QStringLiteral(" Bo vediamo se sei un vero campione  ");
        QTest::newRow("No") << int(Runtime::No) << "" << QStringList{question};
        QTest::newRow("Yes, Cancel at the limit")
            << int(Runtime::Yes) << ""
            << QStringList{question, " Lia siccome non hai scelto arriviamo fino al 10.", greeting};
        QTest::newRow("Yes, a limit")
            << int(Runtime::Yes) << "5" << QStringList{question, greeting};
    }
    void newMatchAsksAgainAndStartsAfresh()
    {
        QFETCH(int, reply);
        QFETCH(QString, limit);
        QFETCH(QStringList, messages);
        const bool again = reply != Runtime::No;
        start();
        answerRight(3); // beats the empty record, which a new match must not write
        tick(42);
        tavola->showNormal();
        tavola->setWindowState(Qt::WindowMinimized);
        runtime->messageReplies = {reply};
        runtime->promptReplies = {limit, QStringLiteral("Bo")};
        newMatch();
        QCOMPARE(runtime->messages, messages);
        QCOMPARE(runtime->styles.value(0), 292);
        QCOMPARE(runtime->titles.value(0), QStringLiteral("INIZIARE NUOVA GARA"));
        QCOMPARE(tavola->windowTitle(), again ? "Sequilla " : "Fattorama");
        QCOMPARE(tavola->caption("lblScore"), again ? "0" : "3");
        QCOMPARE(bytesOf(file("quirel.txt")), QByteArray());
        tick(1);
        QCOMPARE(tavola->caption("lblconto"), again ? "00:04:59" : "00:04:17");
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!tavola->caption("lblNum1").isEmpty());
    }

    // A new match destroys the old controls: under the leak checkers, again
    // and again, nothing of them stays, and one set of controls is left.
    void newMatchesOneAfterAnotherLeaveOneSetOfControls()
    {
        start();
        const int widgets = tavola->findChildren<QWidget *>().size();
        for (int round = 0; round < 5; ++round) {
            runtime->messageReplies = {Runtime::Yes};
            runtime->promptReplies = {QStringLiteral("10"), QStringLiteral("Lia")};
            newMatch();
            QTRY_VERIFY(!tavola->caption("lblNum1").isEmpty());
            answerRight(1);
        }
        QCOMPARE(tavola->findChildren<QWidget *>().size(), widgets);
    }
};

QTEST_MAIN(QuizTest)
#include "tst_quiz.moc"
