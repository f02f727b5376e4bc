// SPDX-License-Identifier: GPL-3.0-or-later
#include "designlabel.h"

#include <QAccessible>
#include <QPainter>

void DesignLabel::setCaption(const QString &text)
{
    setText(text);
    if (m_fitsText)
        fitToText();
    updateAccessibleName();
}

void DesignLabel::setAccessiblePrefix(const QString &prefix)
{
    m_accessiblePrefix = prefix;
    updateAccessibleName();
}

void DesignLabel::updateAccessibleName()
{
    if (!m_accessiblePrefix.isEmpty())
        setAccessibleName(m_accessiblePrefix + QStringLiteral(": ") + text());
}

void DesignLabel::announce()
{
#if QT_CONFIG(accessibility)
    QAccessibleEvent event(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
#endif
}

void DesignLabel::fitToText()
{
    // The text's own extent plus the frame: an empty bordered label is a
    // box a few pixels wide, as tall as a line of its font.
    const QFontMetrics metrics(font());
    const int frame = 2 * frameWidth();
    resize(metrics.horizontalAdvance(text()) + frame + 2, metrics.height() + frame);
}

void DesignLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, text());
}
