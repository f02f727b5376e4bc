// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtruntime.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QString programName()
{
    return QStringLiteral("Sequilla");
}

// The box belongs to the active window when there is one, so that it sits
// above it and blocks it; before the window is shown it stands alone.
QWidget *boxParent()
{
    return QApplication::activeWindow();
}

// Whether the X server's input focus is on a window of ours other than
// `window`: Qt may call a box focused while the X server still sends the
// keys to the window it blocks. False on any other platform, or when the
// focus is in another program.
bool xFocusOnAnotherOfOurs(const QWindow *window)
{
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
    if (!reply)
        return false;
    const QWindowList ours = QGuiApplication::topLevelWindows();
    return std::any_of(ours.begin(), ours.end(), [&](const QWindow *other) {
        return other != window && other->handle() && other->winId() == reply->focus;
    });
}

// Runs the box, and while it is open gives it the focus whenever a window
// of ours holds it instead. A box that opens while the child types (the
// goodbye when the time is up) can be refused the focus by a window
// manager that saw keys after the box was made (GNOME's focus-stealing
// prevention); the keys would then reach only the window the box blocks,
// or reach the box through Qt while the window manager shows the other
// window focused. A request made later carries a later time, and is
// granted. Focus in another program is left alone.
int execFocused(QDialog &box)
{
    QTimer retry;
    retry.callOnTimeout(&box, [&box] {
        const QWindow *focus = QGuiApplication::focusWindow();
        if (!focus || !box.isVisible())
            return;
        // The X server is asked only when Qt calls the box focused.
        if (focus != box.windowHandle() || xFocusOnAnotherOfOurs(focus))
            box.activateWindow();
    });
    retry.start(250);
    return box.exec();
}

} // namespace

int QtRuntime::ShowMessage(const QString &text, int style, const QString &title)
{
    QMessageBox box(boxParent());
    box.setWindowTitle(title.isNull() ? programName() : title);
    box.setText(text);
    if (style == YesNoQuestionDefaultNo) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return execFocused(box) == QMessageBox::No ? No : Yes;
    }
    execFocused(box); // with OK, the button of a box given none
    return Ok;
}

QString QtRuntime::AskText(const QString &prompt)
{
    QInputDialog box(boxParent());
    box.setWindowTitle(programName());
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    // One line of what can be read: a name pasted with a tab or a line
    // break in it would break the record's one-line name file, and the
    // record keeper accepts no such name (nor one past 256 bytes, which 64
    // characters never reach).
    auto *field = box.findChild<QLineEdit *>();
    field->setMaxLength(64);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[^\\x{0}-\\x{1f}\\x{7f}-\\x{9f}\\x{2028}\\x{2029}]*")),
        field));
    return execFocused(box) == QDialog::Accepted ? box.textValue() : QString();
}

void QtRuntime::endProgram(int status)
{
    // Ending the process here, rather than leaving the event loop, is what
    // keeps every outer handler (and any modal loop it is in) from running on.
    std::fflush(nullptr);
    std::_Exit(status);
}

void QtRuntime::showFailure(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, programName(), message, QMessageBox::Ok, boxParent());
    execFocused(box);
}

void installItalianTranslations()
{
    // Owned by the application, which lives until the process ends.
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}
