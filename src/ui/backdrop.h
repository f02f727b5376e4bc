// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

#include <functional>
#include <vector>

/// The window's client area: a persistent drawing surface. What is painted
/// on it stays through covering, uncovering, resizing and repaints, until it
/// is painted over or the background colour is set, which erases everything
/// at once. A client area that grows shows the background colour in the new
/// strip.
///
/// The surface keeps the drawings, not their pixels: each paint event replays
/// them clipped to the region it repaints. A full-screen surface so costs no
/// memory, and a drawing costs nothing until it is shown.
class Backdrop : public QWidget
{
public:
    /// Paints over the rectangle (0, 0, size), in logical pixels, covering
    /// all of it.
    using Drawing = std::function<void(QPainter &painter, QSize size)>;

    explicit Backdrop(QWidget *parent);

    /// Fills the whole surface with colour, erasing all that was painted.
    void setBackgroundColor(const QColor &colour);

    /// Paints on the surface at its present size, then shows the result.
    void draw(Drawing drawing);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void replay(QPainter &painter, const QRegion &region) const;

    struct Layer
    {
        Drawing drawing;
        QSize size;
    };
    std::vector<Layer> m_layers; // oldest first
    QColor m_colour;
};
