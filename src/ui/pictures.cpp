// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap renderPicture(const QString &resourcePath, QSize size, qreal devicePixelRatio)
{
    QSvgRenderer renderer(resourcePath);
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}
