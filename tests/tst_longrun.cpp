// SPDX-License-Identifier: GPL-3.0-or-later
// A long day at school in one process: fourteen thousand judgements, 1400
// questions, new matches from the menu and a full countdown to the end of
// the game, with the window repainting as it goes. Run under the sanitizers
// and under valgrind by the test suite; here it checks that the heap in use
// stays flat once the first match has warmed the caches, and that each new
// match leaves one set of controls.
#include "ui/designlabel.h"
#include "windowfixture.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstddef>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's own count; its allocator is not malloc's.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the program holds on the heap now.
qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}

constexpr int matches = 7;
constexpr int warmUpMatches = 3;
constexpr int questionsPerMatch = 200;
constexpr int judgementsPerQuestion = 10;

} // namespace

class LongRunTest : public QObject, WindowFixture
{
    Q_OBJECT

    void waitForQuestion() { QTRY_VERIFY(!caption(QStringLiteral("lblNum1")).isEmpty()); }

    // One match's worth of play: every question judged ten times, right and
    // wrong in turn, repainting every ten questions.
    void play()
    {
        auto *box = control<QLineEdit>(QStringLiteral("txtAnswer"));
        for (int q = 0; q < questionsPerMatch; ++q) {
            tavola->cmdNext_Click();
            const QString right = QString::number(tavola->matchState().expectedAnswer);
            for (int j = 0; j < judgementsPerQuestion; ++j) {
                box->setText(j % 2 ? right : QStringLiteral("0"));
                QTest::keyClick(box, Qt::Key_Return);
            }
            if (q % 10 == 0)
                QCoreApplication::processEvents();
        }
        // What the fakes record would grow with the play: not the program's.
        sound->played.clear();
        runtime->messages.clear();
        runtime->prompts.clear();
        const int judged = questionsPerMatch * judgementsPerQuestion;
        QCOMPARE(caption(QStringLiteral("lblScore2")), QString::number(judged));
        QCOMPARE(caption(QStringLiteral("lblScore")), QString::number(judged / 2));
    }

    void newMatch()
    {
        runtime->messageReplies = {Runtime::Yes};
        runtime->promptReplies = {QStringLiteral("10"), QStringLiteral("Lia")};
        tavola->Next_Click();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        waitForQuestion();
        QCOMPARE(caption(QStringLiteral("lblScore2")), QStringLiteral("0"));
    }

private slots:
    void aLongDayInOneProcess()
    {
        makeWindow();
        runtime->promptReplies = {QStringLiteral("Lia")};
        tavola->Show();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        waitForQuestion();
        const auto labels = [this] { return tavola->findChildren<DesignLabel *>().size(); };
        const qsizetype labelsOfOneMatch = labels();

        qint64 warmed = 0;
        for (int m = 0; m < matches; ++m) {
            if (m > 0)
                newMatch();
            if (m == warmUpMatches)
                warmed = heapInUse();
            play();
            QCOMPARE(labels(), labelsOfOneMatch);
        }
        // Memory flat: once the first matches have filled Qt's glyph and font
        // caches, the next ones, each with its new window, leave nothing.
        const qint64 growth = heapInUse() - warmed;
        qInfo("heap in use grew %lld bytes over %d matches", growth, matches - warmUpMatches);
        QVERIFY2(growth < 384 * 1024, qPrintable(QStringLiteral("heap grew %1 bytes").arg(growth)));

        // The full countdown: five minutes of ticks, and the next ends the game.
        // The real timer has ticked meanwhile (a slow run under valgrind takes
        // many seconds): it stops, and the clock starts again from 5 minutes.
        tavola->findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        tavola->matchState().minutes = 5;
        tavola->matchState().seconds = 0;
        for (int tick = 0; tick < 300; ++tick)
            tavola->Timer1_Timer();
        QCOMPARE(caption(QStringLiteral("lblconto")), QStringLiteral("00:00:00"));
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, tavola->Timer1_Timer());
        QCOMPARE(runtime->endStatus, std::optional<int>(0));
        QCOMPARE(runtime->failures, QStringList());
        QVERIFY(destroyWindow());
    }
};

QTEST_MAIN(LongRunTest)
#include "tst_longrun.moc"
