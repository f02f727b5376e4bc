// SPDX-License-Identifier: GPL-3.0-or-later
#include "backdrop.h"

#include <QPaintEvent>
#include <QPainter>

Backdrop::Backdrop(QWidget *parent)
    : QWidget(parent)
    , m_colour(palette().color(QPalette::Window))
{
    // The surface paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize Backdrop::pixelSize() const
{
    return size() * devicePixelRatio();
}

void Backdrop::ensureSurface()
{
    // Growing keeps what was painted; the new strip shows the background.
    const QSize wanted = pixelSize().expandedTo(m_image.size());
    if (wanted.isEmpty() || wanted == m_image.size())
        return;
    QImage grown(wanted, QImage::Format_RGB32);
    grown.fill(m_colour);
    if (!m_image.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_image);
    }
    m_image = std::move(grown);
}

void Backdrop::setBackgroundColor(const QColor &colour)
{
    m_colour = colour;
    ensureSurface();
    if (!m_image.isNull())
        m_image.fill(colour);
    update();
}

void Backdrop::draw(const std::function<void(QPainter &painter, QSize pixelSize)> &paint)
{
    ensureSurface();
    if (m_image.isNull())
        return;
    {
        QPainter painter(&m_image);
        paint(painter, pixelSize());
    }
    update();
}

void Backdrop::resizeEvent(QResizeEvent *)
{
    ensureSurface();
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    ensureSurface();
    if (m_image.isNull())
        return;
    const qreal ratio = devicePixelRatio();
    QPainter painter(this);
    for (const QRect &r : event->region()) {
        const QRectF source(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio);
        painter.drawImage(QRectF(r), m_image, source);
    }
}
