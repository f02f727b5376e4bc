// SPDX-License-Identifier: GPL-3.0-or-later
// The real runtime's boxes: their buttons, icons, titles and answers, in
// Italian.
#include "runtime/qtruntime.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs act on the modal box as soon as it is open.
void whenBoxOpens(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box);
        act(box);
    });
}

} // namespace

class RuntimeTest : public QObject
{
    Q_OBJECT

    QtRuntime realRuntime;
    Runtime &runtime = realRuntime; // the interface the quiz calls, with its defaults

private slots:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("Sequilla"));
        installItalianTranslations();
    }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void plainMessageHasOneOkButtonAndTheProgramsName()
    {
        QString title, text, button;
        QMessageBox::Icon icon = QMessageBox::Warning;
        whenBoxOpens([&](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            QCOMPARE(box->buttons().size(), 1);
            button = box->buttons().first()->text();
            box->buttons().first()->click();
        });
        QCOMPARE(runtime.ShowMessage(QStringLiteral("Ciao, alla prossima sfida. ")), 1);
        QCOMPARE(title, QStringLiteral("Sequilla"));
        QCOMPARE(text, QStringLiteral("Ciao, alla prossima sfida. "));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(button, QStringLiteral("OK"));
    }

    void questionAnswersYesOrNoWithNoAsDefault_data()
    {
        QTest::addColumn<int>("press"); // 0 No, 1 Yes, 2 Escape
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << 0 << 7;
        QTest::newRow("Yes") << 1 << 6;
        QTest::newRow("Escape is No") << 2 << 7;
    }
    void questionAnswersYesOrNoWithNoAsDefault()
    {
        QFETCH(int, press);
        QFETCH(int, answer);
        QString title, yesText, noText;
        bool noIsDefault = false;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenBoxOpens([&](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            icon = box->icon();
            yesText = box->button(QMessageBox::Yes)->text();
            noText = box->button(QMessageBox::No)->text();
            noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            if (press == 2)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(press == 1 ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QCOMPARE(runtime.ShowMessage(QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"), 292,
                                     QStringLiteral("INIZIARE NUOVA GARA")),
                 answer);
        QCOMPARE(title, QStringLiteral("INIZIARE NUOVA GARA"));
        QCOMPARE(icon, QMessageBox::Question);
        QVERIFY(noIsDefault);
        QCOMPARE(QString(yesText).remove(u'&'), QStringLiteral("Sì"));
        QCOMPARE(QString(noText).remove(u'&'), QStringLiteral("No"));
    }

    void askTextGivesWhatIsTypedOrNothingOnCancel_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("answer");
        QTest::newRow("OK") << " Maria " << true << " Maria ";
        QTest::newRow("OK on an empty field") << "" << true << "";
        QTest::newRow("Annulla") << "Maria" << false << "";
    }
    void askTextGivesWhatIsTypedOrNothingOnCancel()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accept);
        QFETCH(QString, answer);
        QString title, label;
        whenBoxOpens([&](QWidget *widget) {
            auto *box = qobject_cast<QInputDialog *>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            label = box->labelText();
            QTest::keyClicks(box->findChild<QLineEdit *>(), typed);
            if (accept)
                box->accept();
            else
                box->reject();
        });
        const QString got = runtime.AskText(QStringLiteral("Come ti chiami?"));
        QCOMPARE(got, answer);
        QVERIFY(!got.isNull() || answer.isEmpty());
        QCOMPARE(title, QStringLiteral("Sequilla"));
        QCOMPARE(label, QStringLiteral("Come ti chiami?"));
    }
};

QTEST_MAIN(RuntimeTest)
#include "tst_runtime.moc"
