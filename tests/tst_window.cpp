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

    void screenReaderNamesEveryControlAChildUses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("the player, no name typed") << "lblnome1"
                                                   << "Sfidante: ";
        QTest::newRow("the answer box") << "txtAnswer"
                                        << "Risultato";
        QTest::newRow("the right count") << "lblScore"
                                         << "Risposte esatte: 0";
        QTest::newRow("the time left") << "lblconto"
                                       << "Tempo restante: 00:05:00";
        QTest::newRow("the exit button") << "cmdExit"
                                         << "Esci";
    }
    void screenReaderNamesEveryControlAChildUses()
    {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        QCOMPARE(control(name)->accessibleName(), accessibleName);
        QVERIFY(!control(name)->accessibleDescription().isEmpty());
    }

    void screenReaderNameFollowsTheJudgement()
    {
        qint16 enter = 13;
        tavola->txtAnswer_KeyPress(enter);
        QCOMPARE(
            control(QStringLiteral("lblMessage"))->accessibleName(),
            QStringLiteral("Giudizio: Sbagliato!! %1").arg(tavola->matchState().expectedAnswer));
        QCOMPARE(control(QStringLiteral("lblScore1"))->accessibleName(),
                 QStringLiteral("Risposte errate: 1"));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
