// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtruntime.h"

#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
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
    box.setLabelText(prompt); // a text field, by default
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
