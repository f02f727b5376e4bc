// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>

class QString;
class QWidget;

/// Moves the keyboard focus to `widget` and has a screen reader say `news`
/// (the judgement of an answer) as the focus comes there: once, and never
/// news of an answer before.
void focusAndTell(QWidget *widget, const QString &news);

/// While it lives, a screen reader that starts listening only after a box
/// or the window has taken the focus hears where the focus is. On a busy
/// machine the accessibility bus can come up after the name prompt has
/// opened, and the focus's news, sent before anyone listened, is lost.
class FocusRetold : public QAccessible::ActivationObserver
{
public:
    FocusRetold();
    ~FocusRetold() override;
    FocusRetold(const FocusRetold &) = delete;
    FocusRetold &operator=(const FocusRetold &) = delete;

    void accessibilityActiveChanged(bool active) override;
};
