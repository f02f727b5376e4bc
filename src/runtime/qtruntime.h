// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime.h"

/// The runtime of the real program: Qt's message and input boxes, and an
/// EndProgram that ends the process.
class QtRuntime final : public Runtime
{
public:
    using Runtime::Runtime;
    int ShowMessage(const QString &text, int style, const QString &title) override;
    QString AskText(const QString &prompt) override;

protected:
    [[noreturn]] void endProgram(int status) override;
    void showFailure(const QString &message) override;
};

/// Loads Qt's own Italian translations, so that the standard buttons of the
/// boxes read "Sì", "No", "OK", "Annulla". Missing translations leave English.
void installItalianTranslations();
