// SPDX-License-Identifier: GPL-3.0-or-later
// The window and its match, through the handlers with a scripted runtime, in
// the program's own setting: the window as designed, start-up, questions and
// answers, the end with its record decision, new matches.
#include "program.h"
#include "runtime/qtruntime.h"
#include "tavolatester.h"
#include "ui/pictures.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

using Box = FakeRuntime::Box;
const Box askName{u"Come ti chiami?"_s, Box::Input};
const Box newMatchQuestion{u"INIZIAMO UNA NUOVA GARA  ?"_s, Runtime::YesNoQuestionDefaultNo,
                           u"INIZIARE NUOVA GARA"_s};
const auto greeting = [](const QString &name) {
    return Box{u' ' + name + u" vediamo se sei un vero campione  "_s};
};

} // namespace

class QuizTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeRuntime> runtime;
    FakeSound sound;
    std::unique_ptr<TavolaTester> tavola;
    const qsizetype topLevels = QApplication::topLevelWidgets().size(); // the program's own
    const QString sounds = QCoreApplication::applicationDirPath() + u"/suoni/"_s;

    QLineEdit *box() const { return tavola->findChild<QLineEdit *>(u"txtAnswer"_s); }
    QWidget *next() const { return tavola->control("cmdNext"); }
    QString file(const char *name) const { return runtime->recordDir.filePath(name); }
    void start(const QString &name = QStringLiteral("Lia"))
    {
        runtime->typed = {name};
        tavola->Show();
        QTRY_VERIFY(!tavola->caption("lblNum1").isEmpty());
        runtime->boxes.clear();
    }
    void answer(const QString &typed)
    {
        box()->setText(typed);
        QTest::keyClick(box(), Qt::Key_Return);
    }
    void answerRight(int times)
    {
        while (times-- > 0) {
            tavola->cmdNext_Click();
            answer(QString::number(tavola->state().expectedAnswer));
        }
    }
    void tick(int times)
    {
        while (times-- > 0)
            tavola->Timer1_Timer();
    }
    void newMatch()
    {
        tavola->findChild<QAction *>(QStringLiteral("Next"))->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // once the menu is closed
    }

private slots:
    void init()
    {
        // Any warning but the offscreen platform's own fails the test.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not)")));
        runtime = std::make_unique<FakeRuntime>();
        sound = {};
        tavola = std::make_unique<TavolaTester>(*runtime, sound);
    }
    // The window owns every control and box: nothing of it outlives it.
    void cleanup()
    {
        tavola.reset();
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
    }

    // The name as typed, blanks and all; the two boxes come before the
    // window, with no tick in them; then the window as designed, with the
    // record; the sounds load once the first question shows.
    void startUpShowsTheWindowAsDesigned()
    {
        const QString name = QStringLiteral(" Maria  Grazia ");
        QVERIFY(writeFile(file("quirel.txt"), "15\r\n"));
        QVERIFY(writeFile(file("nquirel.txt"), "Anna\r\n"));
        auto *timer = tavola->findChild<QTimer *>(QStringLiteral("Timer1"));
        // Called minimised before it is on screen (as GNOME 48 may while it
        // maps it), the window keeps its caption.
        runtime->whileBoxOpen = [&] {
            QVERIFY(!tavola->isVisible() && !timer->isActive());
            tavola->setWindowState(Qt::WindowMinimized);
        };
        runtime->typed = {name};
        tavola->Show();
        QCOMPARE(runtime->boxes, QList<Box>({askName, greeting(name)}));
        QCOMPARE(tavola->caption("lblpunti"), "15\r\n");
        QCOMPARE(tavola->caption("lblnome"), "Anna\r\n");
        QTRY_COMPARE(sound.warmUps, QList({QStringList{sounds + "Esatto.wav", sounds + "no.wav"}}));
        // At 96 dots per inch: 15 twips a pixel, 3 points 4 pixels.
        const QWidget *message = tavola->control("lblMessage");
        QCOMPARE(message->geometry(), QRect(112, 136, 441, 41));
        QCOMPARE(message->font().pixelSize(), 32);
        QVERIFY(next()->sizeHint().height() > 44 + next()->fontMetrics().height()); // its caption
        // Restored, the client area is where it was designed, below the menu bar.
        tavola->showNormal();
        QCOMPARE(tavola->centralWidget()->mapToGlobal(QPoint()), QPoint(136, 108));
        // Pictures are drawn whole at the screen's pixel density: sharp at twice it.
        const QPixmap sharp = renderPicture(u":/pictures/stopwatch.svg"_s, QSize(32, 32), 2);
        QVERIFY(sharp.toImage().pixelColor(44, 44).alpha() == 255); // its lower right too
        QCOMPARE(sharp.toImage().pixelColor(0, 0).alpha(), 0);      // and nothing around it
        // A label draws its text, blue on yellow.
        const QImage number =
            tavola->control("lblNum1")->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(number.constBits());
        const qsizetype area = number.width() * number.height();
        QVERIFY(std::count(pixels, pixels + area, qRgb(0, 0, 255)) > area / 10);  // not the frame
        QVERIFY(std::count(pixels, pixels + area, qRgb(255, 255, 0)) > area / 2); // on yellow
        // On purpose: the right count keeps the system's text colour, even on black.
        QCOMPARE(tavola->control("lblScore")->palette().color(QPalette::WindowText),
                 QApplication::palette().color(QPalette::WindowText));
    }

    // A question draws the tint, then n until it is not 0; it empties the
    // box and the message and waits for the answer, which is judged once
    // Enter is pressed. The draws are the tint's and n's.
    void questionAndJudgement_data()
    {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("n");
        QTest::addColumn<int>("tint");
        QTest::addColumn<QString>("message");
        const float max = std::nextafter(1.0f, 0.0f);
        const QString right = u"Esatto! Anna sei forte!"_s;
        // clang-format off
        QTest::newRow("0 is drawn again") << QList{0.3f, 0.0f, 0.425f} << "43"   << "42" << 4  << right;
        QTest::newRow("largest draws")    << QList{max, max}           << "100"  << "99" << 14 << right;
        QTest::newRow("007 for 6")        << QList{0.6f, 0.065f}       << "007"  << "6"  << 9  << right;
        QTest::newRow("empty box")        << QList{0.6f, 0.425f}       << ""     << "42" << 9  << "Sbagliato!! 43";
        QTest::newRow("past 16 bits")     << QList{0.6f, 0.425f}       << "1e99" << "42" << 9  << "Sbagliato!! 43";
        // clang-format on
    }
    void questionAndJudgement()
    {
        QFETCH(QList<float>, draws);
        QFETCH(QString, typed);
        QFETCH(QString, n);
        QFETCH(int, tint);
        QFETCH(QString, message);
        start(QStringLiteral("Anna"));
        answer(QStringLiteral("12"));
        sound.played.clear();
        runtime->randomDraws = 0;
        runtime->randoms = draws;
        tavola->control("cmdExit")->setFocus();
        tavola->cmdNext_Click();
        QCOMPARE(runtime->randomDraws, draws.size());
        QCOMPARE(box()->text() + tavola->caption("lblMessage"), QString());
        QCOMPARE(QApplication::focusWidget(), box());
        QCOMPARE(tavola->caption("lblNum1"), n);
        answer(typed);
        QCOMPARE(tavola->state().backgroundTint, tint);
        QCOMPARE(tavola->caption("lblMessage"), message);
        const bool right = message.startsWith(u"Esatto");
        QCOMPARE(sound.played, QStringList{sounds + (right ? "Esatto.wav" : "no.wav")});
        // 256 bands down the whole client area, band i in (10t, 10t, i), each
        // row showing the last band that starts on it or above. A wrong
        // answer blackens it all.
        const QImage surface = tavola->centralWidget()->grab().toImage();
        const int h = tavola->centralWidget()->height(), t = 10 * tavola->state().backgroundTint;
        for (const int y : {0, (128 * h + 255) / 256, h / 2, h - 1})
            QCOMPARE(surface.pixelColor(0, y), // beside the controls
                     right ? QColor(t, t, ((y + 1) * 256 - 1) / h) : QColor(Qt::black));
    }

    // Only digits and Backspace reach the box; on purpose, the box's own
    // paste (Shift+Insert, the middle button, its menu) is not filtered. On
    // purpose too, nothing marks a question answered: every Enter that
    // reaches the box counts again.
    void keysReachTheBox()
    {
        start();
        QTest::keyClicks(box(), QStringLiteral("a1B- .9,0"));
        QTest::keyClick(box(), Qt::Key_Backspace);
        QGuiApplication::clipboard()->setText(QStringLiteral("43"));
        for (const Qt::Key control : {Qt::Key_V, Qt::Key_A, Qt::Key_Z}) // paste, select, undo
            QTest::keyClick(box(), control, Qt::ControlModifier);
        QTest::keyClick(box(), Qt::Key_Insert, Qt::ShiftModifier);
        QTest::keyClick(box(), Qt::Key_Home);
        QTest::keyClick(box(), Qt::Key_Delete); // editing keys work as usual
        QTest::keyClicks(box(), QStringLiteral("8765"));
        QCOMPARE(box()->text(), QStringLiteral("8943")); // four characters at most
        qint16 key = 13;
        tavola->txtAnswer_KeyPress(key);
        const QImage one = tavola->control("lblScore2")->grab().toImage();
        QTest::keyClick(box(), Qt::Key_M, Qt::ControlModifier); // a control character: Enter
        QCOMPARE(tavola->caption("lblScore2"), QStringLiteral("2"));
        QCOMPARE_NE(tavola->control("lblScore2")->grab().toImage(), one); // drawn anew
        // Tab goes round the buttons and the box.
        for (const char *name : {"txtAnswer", "Command1", "cmdExit", "cmdNext"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), name);
        }
        // Enter (the keypad's too) or Space on Nuovo calcolo asks anew, a
        // letter does not; Escape does while it is enabled.
        runtime->randoms = QList<float>(7, 0.5f); // n is never 0: two draws a question
        QTest::keyClick(next(), Qt::Key_A);
        QCOMPARE(runtime->randoms.size(), 7);
        QTest::keyClick(next(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(runtime->randoms.size(), 5);
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        tavola->txtAnswer_KeyPress(key);
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        tavola->txtAnswer_KeyPress(key);
        QTest::keyClick(next(), Qt::Key_Space);
        QCOMPARE(runtime->randoms.size(), 1);
    }

    // The name prompt takes one line: a paste with a tab is refused, a long
    // one cut to 64 characters; the keypad's Enter takes it.
    void namePromptTakesOneLine()
    {
        QtRuntime real(RecordStore([] { return UniqueFd(); }, {}));
        QTimer::singleShot(0, [] {
            auto *field = QApplication::activeModalWidget()->findChild<QLineEdit *>();
            field->insert(u"Ann\tA"_s), field->insert(QString(70, u'b'));
            QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
        });
        QTimer limit; // should Enter not take it
        limit.callOnTimeout([] { QApplication::activeModalWidget()->close(); });
        limit.start(5000);
        QCOMPARE(real.AskText(u"Come ti chiami?"_s), QString(64, u'b'));
    }

    // Only a strictly higher score beats the record, both the record shown
    // (the captions) and one another copy saved meanwhile; ticks during the
    // end's boxes start nothing.
    void recordDecision_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("score");
        QTest::addColumn<bool>("timeUp"); // else the exit button
        QTest::addColumn<bool>("beaten");
        QTest::addColumn<QByteArray>("meanwhile"); // saved by another copy during the match
        // clang-format off
        QTest::newRow("tie keeps")             << QByteArray("3\r\n")  << 3 << true  << false << QByteArray();
        QTest::newRow("one more beats")        << QByteArray("3\r\n")  << 4 << true  << true  << QByteArray();
        QTest::newRow("tie saved meanwhile")   << QByteArray("3\r\n")  << 4 << false << false << QByteArray("4\r\n");
        // clang-format on
    }
    void recordDecision()
    {
        QFETCH(QByteArray, record);
        QFETCH(int, score);
        QFETCH(bool, timeUp);
        QFETCH(bool, beaten);
        QFETCH(QByteArray, meanwhile);
        QVERIFY(writeFile(file("quirel.txt"), record));
        start(QStringLiteral("Bo Lu "));
        if (!meanwhile.isEmpty())
            QVERIFY(writeFile(file("quirel.txt"), record = meanwhile));
        answerRight(score);
        tick(timeUp ? 300 : 7);
        const QString clock = tavola->caption("lblconto");
        runtime->whileBoxOpen = [&] { tick(2); };
        if (timeUp)
            QVERIFY_THROWS_EXCEPTION(ProgramEnd, tavola->Timer1_Timer());
        else
            static_cast<QAbstractButton *>(tavola->control("cmdExit"))->click();
        QCOMPARE(runtime->endStatus, 0);
        QCOMPARE(tavola->caption("lblconto"), clock);
        const QList<Box> boxes{{u"Ciao, alla prossima sfida. "_s},
                               {u"Ok! Ho registrato il tuo record, C A M P I O N E"_s}};
        QCOMPARE(runtime->boxes, boxes.mid(timeUp ? 0 : 1, int(timeUp) + int(beaten)));
        QCOMPARE(bytesOf(file("quirel.txt")), beaten ? QByteArray::number(score) + "\r\n" : record);
        QCOMPARE(bytesOf(file("nquirel.txt")), beaten ? QByteArray("Bo Lu \r\n") : QByteArray());
    }

    // An overflow ends the program with the error box, and no later event
    // reaches a handler.
    void overflowEndsTheProgramWithItsReport()
    {
        start();
        tavola->state().correctCount = 20000;
        tavola->state().wrongCount = 12767;
        answer(QString());
        QVERIFY(runtime->failures.value(0).contains(u"overflow"));
        QCOMPARE(runtime->endStatus, 1);
        newMatch();
        QCOMPARE(runtime->boxes, QList<Box>());
    }

    // On purpose, the limit asked for changes nothing (Cancel there, or
    // nothing typed, brings a message), and the caption stays "Fattorama" once minimised,
    // until a new match. A new match writes no record.
    void newMatchAsksAgainAndStartsAfresh_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QList<Box>>("boxes");
        const Box limitBox{u"Tavola pitagorica fino al numero? "_s, Box::Input};
        const QList<Box> startUp{askName, greeting(u"Bo"_s)};
        const Box noLimit{u" Lia siccome non hai scelto arriviamo fino al 10."_s};
        QTest::newRow("No") << int(Runtime::No) << "" << QList<Box>{newMatchQuestion};
        QTest::newRow("Yes, Cancel at the limit")
            << int(Runtime::Yes) << "" << QList<Box>{newMatchQuestion, limitBox, noLimit} + startUp;
        QTest::newRow("Yes, a limit")
            << int(Runtime::Yes) << "5" << QList<Box>{newMatchQuestion, limitBox} + startUp;
    }
    void newMatchAsksAgainAndStartsAfresh()
    {
        QFETCH(int, reply);
        QFETCH(QString, limit);
        QFETCH(QList<Box>, boxes);
        const bool again = reply != Runtime::No;
        start();
        answerRight(3); // beats the empty record
        tick(42);
        const qsizetype widgets = tavola->findChildren<QWidget *>().size();
        tavola->showNormal();
        tavola->setWindowState(Qt::WindowMinimized);
        tavola->showMaximized();
        runtime->replies = {reply};
        runtime->typed = {limit, QStringLiteral("Bo")};
        newMatch();
        QCOMPARE(runtime->boxes, boxes);
        QCOMPARE(tavola->windowTitle(), again ? "Sequilla " : "Fattorama");
        QCOMPARE(tavola->caption("lblScore"), again ? "0" : "3");
        tick(1);
        QCOMPARE(tavola->caption("lblconto"), again ? "00:04:59" : "00:04:17");
        // Under the leak checkers too: the old controls go, one set stays,
        // and the sounds are loaded once.
        QCOMPARE(tavola->findChildren<QWidget *>().size(), widgets);
        QTRY_COMPARE(sound.warmUps.size(), 1);
    }
};

// The tests run where the program sets itself up (its name, its
// translations); the program's own window stands aside once it is up.
int main(int argc, char *argv[])
{
    FakeRuntime runtime;
    return runProgram(argc, argv, runtime, [&](Tavola &program) {
        if (!QTest::qWaitForWindowExposed(&program))
            return 1;
        QCoreApplication::processEvents();
        program.hide();
        QuizTest test;
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_quiz.moc"
