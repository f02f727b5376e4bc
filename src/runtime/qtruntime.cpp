// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtruntime.h"

#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

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
        return box.exec() == QMessageBox::No ? No : Yes;
    }
    box.exec(); // with OK, the button of a box given none
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
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
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
    box.exec();
}

void installItalianTranslations()
{
    // Owned by the application, which lives until the process ends.
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}
