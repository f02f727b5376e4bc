// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>

/// The SVG picture at resourcePath drawn at size logical pixels, sharp at
/// the given device pixel ratio. A missing picture gives a null pixmap.
QPixmap renderPicture(const QString &resourcePath, QSize size, qreal devicePixelRatio);
