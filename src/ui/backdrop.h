// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

/// The window's client area: a persistent drawing surface. What is painted
/// on it stays through covering, uncovering and repaints, until it is painted
/// over or the background colour is set, which erases everything at once.
class Backdrop : public QWidget
{
public:
    explicit Backdrop(QWidget *parent);

    /// Fills the whole surface with colour, erasing all that was painted.
    void setBackgroundColor(const QColor &colour);

    /// The surface's size in device pixels (the client area as drawn now).
    QSize pixelSize() const;
    /// Paints on the surface in device pixels, then shows the result.
    void draw(const std::function<void(QPainter &painter, QSize pixelSize)> &paint);
    /// What the surface holds now, at device resolution.
    const QImage &surface() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ensureSurface();

    QImage m_image;
    QColor m_colour;
};
