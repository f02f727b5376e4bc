// SPDX-License-Identifier: GPL-3.0-or-later
#include "spoken.h"

#include <QAccessible>
#include <QApplication>
#include <QTimer>
#include <QWidget>

void focusAndTell(QWidget *widget, const QString &news)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // The news goes as an announcement, which carries its text. Told as a
    // change of the widget's description, it races with the focus: Orca 48
    // handles focus events ahead of others, and read the description it had
    // cached, the judgement of the answer before.
    widget->setFocus();
    QAccessibleAnnouncementEvent announcement(widget, news);
    QAccessible::updateAccessibility(&announcement);
#else
    // Qt 6.4 cannot announce. Its change events carry the widget in place of
    // the text, so a screen reader cannot speak them, but it reads the
    // description afresh as the focus comes.
    widget->setAccessibleDescription(news);
    widget->setFocus();
#endif
}

FocusRetold::FocusRetold()
{
    QAccessible::installActivationObserver(this);
}

FocusRetold::~FocusRetold()
{
    QAccessible::removeActivationObserver(this);
}

void FocusRetold::accessibilityActiveChanged(bool active)
{
    if (!active)
        return;
    // Queued: the platform's bridge is told of the screen reader before it
    // is ready to carry events.
    QTimer::singleShot(0, qApp, [] {
        if (QWidget *focus = QApplication::focusWidget()) {
            QAccessibleEvent event(focus, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
    });
}
