// SPDX-License-Identifier: GPL-3.0-or-later
// Asking a question, filtering keys and judging answers, through the real
// window with a scripted runtime.
#include "runtime/apppath.h"
#include "runtime/deferredsoundplayer.h"
#include "ui/answerfield.h"
#include "ui/backdrop.h"
#include "ui/tavola.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

#include <memory>

class QuestionsTest : public QObject, WindowFixture
{
    Q_OBJECT

    QLineEdit *answerBox() const { return control<QLineEdit>("txtAnswer"); }
    Backdrop *backdrop() const { return static_cast<Backdrop *>(tavola->centralWidget()); }
    QColor surfaceAt(int x, int y) const { return backdrop()->surface().pixelColor(x, y); }

    // The next question shows n, over a gradient of the given tint.
    void ask(int n, int tint = 7)
    {
        runtime->randoms = {float((tint + 0.5) / 15), float((n + 0.5) / 100)};
        tavola->cmdNext_Click();
        QCOMPARE(caption("lblNum1"), QString::number(n));
    }
    void answer(const QString &typed)
    {
        answerBox()->setFocus();
        answerBox()->setText(typed);
        QTest::keyClick(answerBox(), Qt::Key_Return);
    }

private slots:
    void init()
    {
        makeWindow();
        tavola->Show();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!caption("lblNum1").isEmpty());
        tavola->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tavola.get()));
    }
    // The window owns every control and box: nothing outlives it.
    void cleanup() { QVERIFY(destroyWindow()); }

    void showingTheWindowAsksTheFirstQuestionOnce()
    {
        // One activation per load: switching away and back asks nothing.
        const QString first = caption("lblNum1");
        const int draws = runtime->randomDraws;
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        tavola->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tavola.get()));
        QCOMPARE(runtime->randomDraws, draws);
        QCOMPARE(caption("lblNum1"), first);
    }

    void zeroIsDrawnAgainUntilTheNumberIsOneToNinetyNine()
    {
        // floor(v * 100) = 0 twice: n is drawn a third time, never shown as 0.
        runtime->randomDraws = 0;
        runtime->randoms = {0.5f, 0.0f, 0.009f, 0.425f};
        tavola->cmdNext_Click();
        QCOMPARE(caption("lblNum1"), QStringLiteral("42"));
        QCOMPARE(runtime->randomDraws, 4);
    }

    void numberShownIsOneToNinetyNineAndTintZeroToFourteen()
    {
        int smallest = 100, largest = 0, smallestTint = 15, largestTint = -1;
        for (int i = 0; i < 3000; ++i) {
            tavola->cmdNext_Click();
            const int n = caption("lblNum1").toInt();
            QCOMPARE(tavola->matchState().expectedAnswer, n + 1);
            smallest = std::min(smallest, n);
            largest = std::max(largest, n);
            smallestTint = std::min<int>(smallestTint, tavola->matchState().backgroundTint);
            largestTint = std::max<int>(largestTint, tavola->matchState().backgroundTint);
        }
        QCOMPARE(smallest, 1);
        QCOMPARE(largest, 99);
        QCOMPARE(smallestTint, 0);
        QCOMPARE(largestTint, 14);
    }

    void largestDrawStillGivesNinetyNine()
    {
        // The largest value below 1 must not make n = 100 nor the tint 15.
        const float belowOne = std::nextafter(1.0f, 0.0f);
        runtime->randoms = {belowOne, belowOne};
        tavola->cmdNext_Click();
        QCOMPARE(caption("lblNum1"), QStringLiteral("99"));
        QCOMPARE(tavola->matchState().backgroundTint, 14);
    }

    void keyFilterLetsOnlyDigitsAndBackspaceIn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << "123"
                                << "123";
        QTest::newRow("letters") << "a1B2"
                                 << "12";
        QTest::newRow("blank") << "1 2"
                               << "12";
        QTest::newRow("minus sign") << "-5"
                                    << "5";
        QTest::newRow("decimal point") << "1.5"
                                       << "15";
        QTest::newRow("comma") << "1,5"
                               << "15";
        QTest::newRow("four characters at most") << "12345"
                                                 << "1234";
    }
    void keyFilterLetsOnlyDigitsAndBackspaceIn()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QTest::keyClicks(answerBox(), typed);
        QCOMPARE(answerBox()->text(), shown);
    }

    void editingKeysWorkAsUsual()
    {
        QTest::keyClicks(answerBox(), QStringLiteral("123"));
        QTest::keyClick(answerBox(), Qt::Key_Backspace);
        QCOMPARE(answerBox()->text(), QStringLiteral("12"));
        QTest::keyClick(answerBox(), Qt::Key_Home);
        QTest::keyClick(answerBox(), Qt::Key_Delete);
        QCOMPARE(answerBox()->text(), QStringLiteral("2"));
        QTest::keyClick(answerBox(), Qt::Key_End);
        QTest::keyClick(answerBox(), Qt::Key_Left);
        QTest::keyClicks(answerBox(), QStringLiteral("9"));
        QCOMPARE(answerBox()->text(), QStringLiteral("92"));
    }

    void controlCharactersAreSwallowed()
    {
        // Ctrl+V is the control character 22: it must not paste.
        QGuiApplication::clipboard()->setText(QStringLiteral("43"));
        QTest::keyClick(answerBox(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(answerBox()->text(), QString());
        QTest::keyClicks(answerBox(), QStringLiteral("12"));
        QTest::keyClick(answerBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(answerBox(), QStringLiteral("3"));
        QCOMPARE(answerBox()->text(), QStringLiteral("123"));
    }

    void characterCodeOfKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << "\r" << 13;
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << 13;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << "\b" << 8;
        QTest::newRow("digit") << int(Qt::Key_7) << 0 << "7" << 55;
        QTest::newRow("keypad digit") << int(Qt::Key_7) << int(Qt::KeypadModifier) << "7" << 55;
        QTest::newRow("Delete with X11 text") << int(Qt::Key_Delete) << 0 << "\x7f" << -1;
        QTest::newRow("arrow") << int(Qt::Key_Left) << 0 << "" << -1;
        QTest::newRow("Ctrl+V without text")
            << int(Qt::Key_V) << int(Qt::ControlModifier) << "" << 22;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << "\x1b" << 27;
    }
    void characterCodeOfKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, code);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QCOMPARE(AnswerField::characterCode(event), code);
    }

    void answerIsJudged_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("right");
        QTest::newRow("43 for 42") << 42 << "43" << true;
        QTest::newRow("2 for 1") << 1 << "2" << true;
        QTest::newRow("100 for 99") << 99 << "100" << true;
        QTest::newRow("leading zeros 007 for 6") << 6 << "007" << true;
        QTest::newRow("44 for 42") << 42 << "44" << false;
        QTest::newRow("the number itself") << 42 << "42" << false;
        QTest::newRow("empty box") << 42 << "" << false;
        QTest::newRow("pasted too large for 16 bits") << 42 << "1e99" << false;
        QTest::newRow("pasted 32768") << 42 << "32768" << false;
    }
    void answerIsJudged()
    {
        QFETCH(int, n);
        QFETCH(QString, typed);
        QFETCH(bool, right);
        tavola->matchState().playerName = QStringLiteral("Anna");
        ask(n, 9);
        answerBox()->setMaxLength(8); // as if pasted past the box's limit
        answer(typed);
        QVERIFY(runtime->failures.isEmpty());
        const QString expectedMessage = right ? QStringLiteral("Esatto! Anna sei forte!")
                                              : QStringLiteral("Sbagliato!! %1").arg(n + 1);
        QCOMPARE(caption("lblMessage"), expectedMessage);
        QCOMPARE(caption("lblScore"), right ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(caption("lblScore1"), right ? QStringLiteral("0") : QStringLiteral("1"));
        QCOMPARE(caption("lblScore2"), QStringLiteral("1"));
        QCOMPARE(sound->played.last(), AppPath() + (right ? QStringLiteral("/suoni/Esatto.wav")
                                                          : QStringLiteral("/suoni/no.wav")));
        // A wrong answer blackens the whole client area; a right one keeps the gradient.
        const QColor bottomRight = surfaceAt(backdrop()->width() - 1, backdrop()->height() - 1);
        QCOMPARE(bottomRight, right ? QColor(90, 90, 255) : QColor(Qt::black));
        QCOMPARE(answerBox()->text(), typed);
        QVERIFY(control("cmdNext")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), control("cmdNext"));
    }

    void praiseHoldsTheNameAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name leaves two blanks") << ""
                                                      << "Esatto!  sei forte!";
        QTest::newRow("name with spaces") << " Maria  Grazia "
                                          << "Esatto!  Maria  Grazia  sei forte!";
    }
    void praiseHoldsTheNameAsTyped()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        tavola->matchState().playerName = name;
        ask(10);
        answer(QStringLiteral("11"));
        QCOMPARE(caption("lblMessage"), message);
    }

    void everyEnterIsJudgedAgain()
    {
        // Nothing marks a question answered: two Enters count twice.
        ask(5);
        answerBox()->setText(QStringLiteral("6"));
        qint16 enter = 13;
        tavola->txtAnswer_KeyPress(enter);
        QCOMPARE(enter, qint16(13));
        tavola->txtAnswer_KeyPress(enter);
        QCOMPARE(caption("lblScore"), QStringLiteral("2"));
        QCOMPARE(caption("lblScore2"), QStringLiteral("2"));
    }

    void enterOnTheNextButtonAsksTheNextQuestion()
    {
        ask(5);
        answer(QString());
        QCOMPARE(QApplication::focusWidget(), control("cmdNext"));
        runtime->randoms = {0.5f / 15, 0.775f};
        QTest::keyClick(control("cmdNext"), Qt::Key_Return);
        QCOMPARE(caption("lblNum1"), QStringLiteral("77"));
        QCOMPARE(caption("lblMessage"), QString());
        QCOMPARE(QApplication::focusWidget(), answerBox());
    }

    void escapePressesTheNextButtonOnlyWhenEnabled()
    {
        ask(5);
        const int draws = runtime->randomDraws;
        // Through the window, as the keyboard delivers it, so shortcuts apply.
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        QCOMPARE(runtime->randomDraws, draws);
        answer(QStringLiteral("6"));
        QTest::keyClick(tavola->windowHandle(), Qt::Key_Escape);
        QVERIFY(runtime->randomDraws > draws);
        QCOMPARE(caption("lblMessage"), QString());
    }

    void gradientFillsTheClientArea_data()
    {
        QTest::addColumn<int>("tint");
        QTest::addColumn<QSize>("size");
        QTest::newRow("tint 0, 792x554") << 0 << QSize(792, 554);
        QTest::newRow("tint 14, 792x554") << 14 << QSize(792, 554);
        QTest::newRow("tint 0, 1600x1000") << 0 << QSize(1600, 1000);
        QTest::newRow("tint 14, 1600x1000") << 14 << QSize(1600, 1000);
        QTest::newRow("tint 3, shorter than 256 bands") << 3 << QSize(300, 200);
    }
    void gradientFillsTheClientArea()
    {
        QFETCH(int, tint);
        QFETCH(QSize, size);
        tavola->showNormal();
        tavola->resize(size.width(), size.height() + tavola->menuWidget()->height());
        QTRY_COMPARE(backdrop()->size(), size);
        ask(12, tint);
        const int t = 10 * tint;
        const int w = size.width(), h = size.height();
        // Band i covers the rows from i*h/256 on; a window shorter than 256
        // rows shows only the last band that starts on each row.
        const auto bandAt = [h](int y) { return ((y + 1) * 256 - 1) / h; };
        QCOMPARE(surfaceAt(0, 0), QColor(t, t, bandAt(0)));
        QCOMPARE(surfaceAt(w - 1, 0), QColor(t, t, bandAt(0)));
        QCOMPARE(surfaceAt(0, h - 1), QColor(t, t, 255));
        QCOMPARE(surfaceAt(w - 1, h - 1), QColor(t, t, 255));
        QCOMPARE(surfaceAt(w / 2, h / 2), QColor(t, t, bandAt(h / 2)));
        if (h >= 256) {
            QCOMPARE(bandAt(0), 0);
            QCOMPARE(surfaceAt(w / 2, (128 * h + 255) / 256), QColor(t, t, 128));
        }
        // What the window shows is the surface.
        const QImage shown = backdrop()->grab().toImage();
        QCOMPARE(shown.pixelColor(w - 1, h - 1), QColor(t, t, 255));
    }

    void drawingStaysAsDrawnWhenTheSurfaceIsResized_data()
    {
        QTest::addColumn<QSize>("drawnAt");
        QTest::addColumn<QSize>("between"); // a size the surface passes through
        QTest::addColumn<QSize>("shownAt");
        QTest::newRow("grown: the new strip is background")
            << QSize(400, 300) << QSize(400, 300) << QSize(600, 450);
        QTest::newRow("shrunk and grown back: the drawing is whole")
            << QSize(600, 450) << QSize(300, 200) << QSize(600, 450);
    }
    void drawingStaysAsDrawnWhenTheSurfaceIsResized()
    {
        QFETCH(QSize, drawnAt);
        QFETCH(QSize, between);
        QFETCH(QSize, shownAt);
        Backdrop surface(nullptr);
        surface.setBackgroundColor(Qt::yellow);
        surface.resize(drawnAt);
        surface.draw([](QPainter &painter, QSize size) {
            painter.fillRect(QRect(QPoint(), size), Qt::blue);
        });
        surface.resize(between);
        surface.resize(shownAt);
        const QImage shown = surface.grab().toImage();
        const QPoint lastDrawn(drawnAt.width() - 1, drawnAt.height() - 1);
        const QPoint corner(shownAt.width() - 1, shownAt.height() - 1);
        QCOMPARE(shown.pixelColor(lastDrawn), QColor(Qt::blue));
        QCOMPARE(shown.pixelColor(corner),
                 QColor(shownAt.width() > drawnAt.width() ? Qt::yellow : Qt::blue));
        QCOMPARE(surface.surface().pixelColor(corner), shown.pixelColor(corner));
        // Setting the colour erases every drawing.
        surface.setBackgroundColor(Qt::black);
        QCOMPARE(surface.grab().toImage().pixelColor(lastDrawn), QColor(Qt::black));
    }

    void counterOverflowIsARunTimeFailure_data()
    {
        QTest::addColumn<int>("correct");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<QString>("typed");
        QTest::newRow("right count past 32767") << 32767 << 0 << "6";
        QTest::newRow("wrong count past 32767") << 0 << 32767 << "1";
        QTest::newRow("total past 32767") << 20000 << 12767 << "1";
    }
    void counterOverflowIsARunTimeFailure()
    {
        QFETCH(int, correct);
        QFETCH(int, wrong);
        QFETCH(QString, typed);
        tavola->matchState().correctCount = qint16(correct);
        tavola->matchState().wrongCount = qint16(wrong);
        ask(5);
        answer(typed);
        QCOMPARE(runtime->failures.size(), 1);
        QVERIFY(runtime->failures.first().contains(u"overflow"));
        QCOMPARE(runtime->endStatus, std::optional<int>(1));
        // The program has ended: no later event reaches a handler.
        const int draws = runtime->randomDraws;
        control<QAbstractButton>("cmdNext")->setEnabled(true);
        control<QAbstractButton>("cmdNext")->click();
        QCOMPARE(runtime->randomDraws, draws);
    }

    void judgingWithoutSoundIsSilent_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("soundFolder");
        QTest::newRow("real module, no sound folder")
            << QStringLiteral(SEQUILLA_SOUND_MODULE) << QStringLiteral("/nonexistent/suoni");
        QTest::newRow("no module") << QStringLiteral("/nonexistent/libsequilla-sound.so")
                                   << QStringLiteral(SEQUILLA_SOURCE_DIR "/src/ui/assets/suoni");
    }
    void judgingWithoutSoundIsSilent()
    {
        QFETCH(QString, module);
        QFETCH(QString, soundFolder);
        if (module.startsWith(u"/nonexistent"))
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("^Sequilla: no sound: ")));
        else
            QTest::failOnWarning(QRegularExpression(QStringLiteral("no sound")));
        DeferredSoundPlayer player(module);
        player.warmUp(
            {soundFolder + QStringLiteral("/Esatto.wav"), soundFolder + QStringLiteral("/no.wav")});
        player.play(soundFolder + QStringLiteral("/no.wav"));
        FakeRuntime quietRuntime;
        Tavola quiet(quietRuntime, player);
        quiet.Show();
        QTRY_VERIFY(!quiet.findChild<QLabel *>(QStringLiteral("lblNum1"))->text().isEmpty());
        qint16 enter = 13;
        quiet.txtAnswer_KeyPress(enter);
        QVERIFY(quiet.findChild<QLabel *>(QStringLiteral("lblMessage"))
                    ->text()
                    .startsWith(u"Sbagliato!! "));
        QVERIFY(quietRuntime.failures.isEmpty());
    }

    void soundsAreWarmedUpOnceAfterTheFirstQuestion()
    {
        // Warming up loads the sound system: it must come after the first
        // question is on screen, and only once whatever the window goes
        // through.
        destroyWindow();
        makeWindow();
        QString questionAtWarmUp;
        sound->onWarmUp = [&] { questionAtWarmUp = caption("lblNum1"); };
        tavola->Show();
        QTRY_COMPARE(sound->warmUps.size(), 1);
        QVERIFY(!questionAtWarmUp.isEmpty());
        QCOMPARE(sound->warmUps.first(),
                 QStringList(
                     {QCoreApplication::applicationDirPath() + QStringLiteral("/suoni/Esatto.wav"),
                      QCoreApplication::applicationDirPath() + QStringLiteral("/suoni/no.wav")}));
        tavola->hide();
        tavola->Show();
        QTest::qWait(50);
        QCOMPARE(sound->warmUps.size(), 1);
    }
};

QTEST_MAIN(QuestionsTest)
#include "tst_questions.moc"
