// SPDX-License-Identifier: GPL-3.0-or-later
#include "backdrop.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

Backdrop::Backdrop(QWidget *parent)
    : QWidget(parent)
    , m_colour(palette().color(QPalette::Window))
{
    setObjectName(QStringLiteral("backdrop"));
    // Every pixel comes from the background colour or a drawing.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Backdrop::setBackgroundColor(const QColor &colour)
{
    m_colour = colour;
    m_layers.clear();
    update();
}

void Backdrop::draw(Drawing drawing)
{
    const QSize now = size();
    if (now.isEmpty())
        return;
    // A drawing covers its rectangle: the older ones it covers whole can
    // never show again.
    std::erase_if(m_layers, [now](const Layer &older) {
        return older.size.width() <= now.width() && older.size.height() <= now.height();
    });
    m_layers.push_back({std::move(drawing), now});
    update();
}

void Backdrop::replay(QPainter &painter, const QRegion &region) const
{
    painter.fillRect(region.boundingRect(), m_colour);
    for (const Layer &layer : m_layers) {
        const QRegion clip = region.intersected(QRect(QPoint(), layer.size));
        if (clip.isEmpty())
            continue;
        painter.save();
        painter.setClipRegion(clip);
        layer.drawing(painter, layer.size);
        painter.restore();
    }
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    replay(painter, event->region());
}
