// SPDX-License-Identifier: GPL-3.0-or-later
#include "unseen.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

class UnseenAccessible final : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

} // namespace

void hideFromScreenReaders(QWidget *widget)
{
    // With a screen reader on, the widget had an interface from its birth:
    // ours takes its place, and stands for the widget until the widget goes.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
    QAccessible::registerAccessibleInterface(new UnseenAccessible(widget));
}
