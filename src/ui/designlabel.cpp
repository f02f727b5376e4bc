// SPDX-License-Identifier: GPL-3.0-or-later
#include "designlabel.h"

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

void DesignLabel::fitToText()
{
    // The text's own extent plus the frame: an empty bordered label is a
    // box a few pixels wide, as tall as a line of its font.
    const QFontMetrics metrics(font());
    const int frame = 2 * frameWidth();
    resize(metrics.horizontalAdvance(text()) + frame + 2, metrics.height() + frame);
}

QRect DesignLabel::shownTextRect() const
{
    // A label fitted to a long text can reach far past the window's edge:
    // only the part inside its parent is ever seen, and only that is drawn.
    const QRect text = contentsRect();
    const QWidget *parent = parentWidget();
    return parent ? text & QRect(mapFromParent(QPoint(0, 0)), parent->size()) : text;
}

const QPixmap &DesignLabel::renderedText()
{
    const Rendered wanted{text(),          font(),          palette().color(foregroundRole()),
                          contentsRect(),  shownTextRect(), devicePixelRatio(),
                          int(alignment())};
    if (wanted == m_renderedFor && !m_rendered.isNull())
        return m_rendered;
    m_renderedFor = wanted;
    m_rendered = QPixmap(wanted.shown.size() * wanted.ratio);
    m_rendered.setDevicePixelRatio(wanted.ratio);
    m_rendered.fill(Qt::transparent);
    QPainter painter(&m_rendered);
    painter.setFont(wanted.font);
    painter.setPen(wanted.colour);
    painter.drawText(wanted.box.translated(-wanted.shown.topLeft()),
                     wanted.alignment | Qt::TextSingleLine, wanted.text);
    return m_rendered;
}

void DesignLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect shown = shownTextRect();
    if (text().isEmpty() || shown.isEmpty())
        return;
    QPainter(this).drawPixmap(shown.topLeft(), renderedText());
}
