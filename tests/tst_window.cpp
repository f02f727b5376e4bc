// SPDX-License-Identifier: GPL-3.0-or-later
// The window's own behaviour: its caption, its controls as designed, tool
// tips, focus order, labels that fit their text, the menu bar.
#include "ui/designlabel.h"
#include "ui/tavola.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <memory>

class WindowTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        makeWindow();
        tavola->Show();
        QVERIFY(QTest::qWaitForWindowExposed(tavola.get()));
        QTRY_VERIFY(!control<QLabel>(QStringLiteral("lblNum1"))->text().isEmpty());
    }
    void cleanup() { QVERIFY(destroyWindow()); }

    void windowOpensMaximisedWithItsCaption()
    {
        QVERIFY(tavola->windowState() & Qt::WindowMaximized);
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Sequilla "));
        QVERIFY(!tavola->windowIcon().isNull());
    }

    void minimisingChangesTheCaptionForGood()
    {
        // Restoring or maximising afterwards keeps "Fattorama".
        tavola->showNormal();
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Sequilla "));
        tavola->setWindowState(Qt::WindowMinimized);
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Fattorama"));
        tavola->setWindowState(Qt::WindowNoState);
        tavola->showMaximized();
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Fattorama"));
    }

    void resizingWithoutMinimisingChangesNothing()
    {
        const QRect before = control(QStringLiteral("lblMessage"))->geometry();
        tavola->showNormal();
        tavola->resize(500, 400);
        tavola->showMaximized();
        QCOMPARE(tavola->windowTitle(), QStringLiteral("Sequilla "));
        QCOMPARE(control(QStringLiteral("lblMessage"))->geometry(), before);
    }

    void controlsStandWhereDesigned_data()
    {
        // Twips at 15 a pixel, from the client area's top-left corner.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("txtAnswer") << "txtAnswer" << QRect(544, 0, 185, 118);
        QTest::newRow("cmdNext") << "cmdNext" << QRect(280, 352, 121, 73);
        QTest::newRow("cmdExit") << "cmdExit" << QRect(512, 352, 137, 73);
        QTest::newRow("Label7") << "Label7" << QRect(344, 8, 57, 113);
        QTest::newRow("Label12") << "Label12" << QRect(8, 504, 217, 41);
        QTest::newRow("lblconto") << "lblconto" << QRect(0, 152, 105, 33);
        QTest::newRow("lblMessage") << "lblMessage" << QRect(112, 136, 441, 41);
        QTest::newRow("Image1") << "Image1" << QRect(32, 112, 32, 32);
    }
    void controlsStandWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QCOMPARE(control(name)->geometry(), rect);
    }

    void toolTipsReadExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tip");
        QTest::newRow("txtAnswer") << "txtAnswer"
                                   << "Inserisci il risultato e  premi il tasto  Invio";
        QTest::newRow("cmdNext") << "cmdNext"
                                 << "Go";
        QTest::newRow("cmdExit") << "cmdExit"
                                 << "Ti prego resta ancora, forse riuscirai a farmi uscire ";
        QTest::newRow("lblScore") << "lblScore"
                                  << "Questo è il tuo punteggio. Forza con il  record";
        QTest::newRow("Image1") << "Image1"
                                << "Clicca sotto di me per impostare il Timer";
        QTest::newRow("lblMessage has none") << "lblMessage"
                                             << "";
    }
    void toolTipsReadExactly()
    {
        QFETCH(QString, name);
        QFETCH(QString, tip);
        QCOMPARE(control(name)->toolTip(), tip);
    }

    void designTextsAreInPlace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("record caption") << "Label12"
                                        << "Il record  è di ";
        QTest::newRow("counters start at 0") << "lblScore2"
                                             << "0";
        QTest::newRow("clock shown by the start-up") << "lblconto"
                                                     << "00:05:00";
        QTest::newRow("player caption") << "Label14"
                                        << "Sfidante";
        QTest::newRow("the fixed addend") << "Label7"
                                          << "1";
    }
    void designTextsAreInPlace()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QCOMPARE(control<QLabel>(name)->text(), text);
    }

    void buttonsCarryAccessKeysAndPictures()
    {
        auto *next = control<QAbstractButton>(QStringLiteral("cmdNext"));
        auto *exit = control<QAbstractButton>(QStringLiteral("cmdExit"));
        QCOMPARE(next->text(), QStringLiteral("&Nuovo calcolo"));
        QCOMPARE(exit->text(), QStringLiteral("E&xit"));
        QVERIFY(!next->icon().isNull());
        QVERIFY(!exit->icon().isNull());
        QVERIFY(!control<QLabel>(QStringLiteral("Image1"))->pixmap().isNull());
        // The disabled face differs from the face at rest.
        const QSize size = next->iconSize();
        QVERIFY(next->icon().pixmap(size, QIcon::Disabled).toImage() !=
                next->icon().pixmap(size, QIcon::Normal).toImage());
    }

    void accessKeyAsksOnlyWhileNextIsEnabled()
    {
        tavola->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tavola.get()));
        const int draws = runtime->randomDraws;
        QTest::keyClick(tavola->windowHandle(), Qt::Key_N, Qt::AltModifier);
        QTest::qWait(300); // longer than the click's animation
        QCOMPARE(runtime->randomDraws, draws);
        qint16 enter = 13;
        tavola->txtAnswer_KeyPress(enter);
        QTest::keyClick(tavola->windowHandle(), Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(runtime->randomDraws > draws); // an access key clicks after a short animation
    }

    void focusMovesExitNextAnswerAndSkipsADisabledNext()
    {
        tavola->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tavola.get()));
        QWidget *exit = control(QStringLiteral("cmdExit"));
        QWidget *next = control(QStringLiteral("cmdNext"));
        QWidget *answer = control(QStringLiteral("txtAnswer"));
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), answer);
        qint16 enter = 13;
        tavola->txtAnswer_KeyPress(enter);
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
        QTest::keyClick(next, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), answer);
    }

    void labelThatFitsItsTextGrowsToTheRight()
    {
        auto *name = static_cast<DesignLabel *>(control<QLabel>(QStringLiteral("lblnome1")));
        const QPoint corner = name->pos();
        name->setCaption(QString());
        QVERIFY(name->width() > 0 && name->width() < 8);
        const int emptyWidth = name->width();
        name->setCaption(QStringLiteral("Bartolomeo Massimiliano"));
        QCOMPARE(name->pos(), corner);
        QVERIFY(name->width() > emptyWidth + 100);
        QCOMPARE(name->width(),
                 name->fontMetrics().horizontalAdvance(name->text()) + 2 * name->frameWidth() + 2);
    }

    void labelThatDoesNotFitKeepsItsSize()
    {
        auto *message = static_cast<DesignLabel *>(control<QLabel>(QStringLiteral("lblMessage")));
        const QRect before = message->geometry();
        message->setCaption(QStringLiteral("Esatto! Bartolomeo Massimiliano sei forte!"));
        QCOMPARE(message->geometry(), before);
    }

    void menuBarHoldsCreditsNewMatchAndDedication()
    {
        const QList<QAction *> bar = tavola->menuBar()->actions();
        QStringList names;
        for (const QAction *action : bar)
            names << action->objectName();
        QCOMPARE(names, QStringList({"wp", "Ciao", "Next", "agli"}));
        QCOMPARE(bar.at(2)->text(), QStringLiteral("nuovo"));
        QVERIFY(bar.at(3)->text().startsWith(u"*** ") && bar.at(3)->text().endsWith(u" ***"));
        QCOMPARE(bar.at(0)->menu()->actions().first()->objectName(), QStringLiteral("v"));
        QCOMPARE(bar.at(1)->menu()->actions().first()->objectName(), QStringLiteral("a"));
    }

    void pointersAreTheDesignedOnes()
    {
        QCOMPARE(control(QStringLiteral("cmdExit"))->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(control(QStringLiteral("txtAnswer"))->cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(control(QStringLiteral("lblMessage"))->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(tavola->centralWidget()->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(tavola->centralWidget()->cursor().pixmap().deviceIndependentSize(),
                 QSizeF(48, 48));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
