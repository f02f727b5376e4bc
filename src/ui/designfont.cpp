// SPDX-License-Identifier: GPL-3.0-or-later
#include "designfont.h"

#include <QStringList>

#include <cmath>

namespace {

// The closest faces on Debian: the Liberation family is metric-compatible
// with Arial and Times New Roman; DejaVu Sans is the heavy fallback.
QStringList fontFamilies(design::Face face)
{
    switch (face) {
    case design::Face::MsSansSerif:
    case design::Face::Arial:
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                QStringLiteral("DejaVu Sans")};
    case design::Face::ArialBlack:
        return {QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"),
                QStringLiteral("Liberation Sans")};
    case design::Face::TimesNewRoman:
        return {QStringLiteral("Liberation Serif"), QStringLiteral("Times New Roman"),
                QStringLiteral("DejaVu Serif")};
    case design::Face::SystemDefault:
        break;
    }
    return {};
}

} // namespace

QFont toFont(const design::Font &design, const QFont &base)
{
    if (design.face == design::Face::SystemDefault)
        return base;
    QFont font(base);
    font.setFamilies(fontFamilies(design.face));
    // Points at the same 96 logical dots per inch as the twips, so that text
    // and rectangles keep their proportions whatever DPI the screen reports.
    font.setPixelSize(int(std::lround(design.points * design::logicalDpi / 72.0)));
    font.setWeight(design.face == design::Face::ArialBlack ? QFont::Black
                   : design.bold                           ? QFont::Bold
                                                           : QFont::Normal);
    font.setItalic(design.italic);
    return font;
}
