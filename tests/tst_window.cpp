// SPDX-License-Identifier: GPL-3.0-or-later
// The window as the program starts it: every control as the design table
// says, the focus order, the caption, labels that fit their text.
#include "program.h"
#include "tavolatester.h"
#include "ui/design.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <cmath>

class WindowTest : public QObject
{
    Q_OBJECT

    Tavola &tavola;

    template <typename T = QWidget>
    T *control(std::string_view name) const
    {
        return tavola.findChild<T *>(QLatin1String(name.data(), qsizetype(name.size())));
    }
    static QString text(std::u16string_view text)
    {
        return QStringView(text.data(), qsizetype(text.size())).toString();
    }

public:
    explicit WindowTest(Tavola &tavola)
        : tavola(tavola)
    {
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QTest::qWaitForWindowExposed(&tavola));
        QTRY_VERIFY(!control<QLabel>("lblNum1")->text().isEmpty());
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Sequilla"));
        QCOMPARE(tavola.windowTitle(), QStringLiteral("Sequilla "));
        QVERIFY(!tavola.windowIcon().isNull());
    }

    void everyControlIsAsDesigned()
    {
        for (const design::Control &designed : design::controls) {
            QWidget *widget = control(designed.name);
            QVERIFY2(widget, designed.name.data());
            const auto px = [](int twips) { return (twips + 7) / 15; };
            const QRect rect(px(designed.rect.left), px(designed.rect.top), px(designed.rect.width),
                             px(designed.rect.height));
            QCOMPARE(widget->pos(), rect.topLeft());
            if (!(designed.look & design::FitsText))
                QCOMPARE(widget->size(), rect.size());
            if (designed.font.face != design::Face::SystemDefault) {
                QCOMPARE(widget->font().pixelSize(), std::lround(designed.font.points * 96 / 72));
                QCOMPARE(widget->font().bold(),
                         designed.font.bold || designed.font.face == design::Face::ArialBlack);
                QCOMPARE(widget->font().italic(), designed.font.italic);
            }
            const auto rgb = [](design::Rgb c) { return QColor(c.r, c.g, c.b); };
            const bool isField = designed.kind == design::Kind::TextField;
            if (designed.fore.set)
                QCOMPARE(
                    widget->palette().color(isField ? QPalette::Text : widget->foregroundRole()),
                    rgb(designed.fore));
            if (designed.back.set)
                QCOMPARE(
                    widget->palette().color(isField ? QPalette::Base : widget->backgroundRole()),
                    rgb(designed.back));
            QCOMPARE(widget->toolTip(), text(designed.toolTip));
            if (auto *button = qobject_cast<QAbstractButton *>(widget))
                QCOMPARE(button->text(), text(designed.text));
            else if (auto *label = qobject_cast<QLabel *>(widget);
                     label && !designed.name.starts_with("lbl"))
                QCOMPARE(label->text(), text(designed.text));
            if (designed.look & (design::IconPointer | design::SystemPointer))
                QCOMPARE(widget->cursor().shape(), designed.look & design::SystemPointer
                                                       ? Qt::ArrowCursor
                                                       : Qt::BitmapCursor);
        }
        for (const design::Accessible &accessible : design::accessibles) {
            QVERIFY(
                control(accessible.control)->accessibleName().startsWith(text(accessible.name)));
            QCOMPARE(control(accessible.control)->accessibleDescription(),
                     text(accessible.description));
        }
        QCOMPARE(control<QLabel>("lblScore")->accessibleName(),
                 QStringLiteral("Risposte esatte: 0"));
        const QList<QAction *> menu = tavola.menuBar()->actions();
        QCOMPARE(menu.size(), 4);
        QCOMPARE(menu.at(2)->text(), QStringLiteral("nuovo"));
    }

    void focusMovesExitNextAnswerAndSkipsADisabledNext()
    {
        tavola.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&tavola));
        QWidget *exit = control("cmdExit"), *next = control("cmdNext");
        auto *answer = control<QLineEdit>("txtAnswer");
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), answer);
        QTest::keyClick(answer, Qt::Key_Return); // judged: Nuovo calcolo is enabled
        QCOMPARE(QApplication::focusWidget(), next);
        QTest::keyClick(next, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), answer);
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }

    // On purpose: once minimised, the caption stays "Fattorama" until a new
    // match; resizing otherwise changes nothing.
    void minimisingChangesTheCaptionForGood()
    {
        const QRect message = control("lblMessage")->geometry();
        tavola.showNormal();
        tavola.resize(500, 400);
        QCOMPARE(tavola.windowTitle(), QStringLiteral("Sequilla "));
        tavola.setWindowState(Qt::WindowMinimized);
        QCOMPARE(tavola.windowTitle(), QStringLiteral("Fattorama"));
        tavola.showMaximized();
        QCOMPARE(tavola.windowTitle(), QStringLiteral("Fattorama"));
        QCOMPARE(control("lblMessage")->geometry(), message);
    }
};

int main(int argc, char *argv[])
{
    FakeRuntime runtime;
    return runProgram(argc, argv, runtime, [&](Tavola &tavola) {
        WindowTest test(tavola);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_window.moc"
