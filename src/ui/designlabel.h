// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPixmap>

/// A label of the window. One that fits its text takes the size of each new
/// text, keeping its left and top edges; the others keep their design size.
/// The text is drawn from the top of the label, on one line, clipped.
///
/// The drawn text is kept as a picture until the text, its font, colour or
/// box change: Qt lays text out anew at every paint, and draws glyphs larger
/// than 64 pixels from their outlines, which costs the big digits a
/// millisecond and more each time.
class DesignLabel : public QLabel
{
public:
    DesignLabel(bool fitsText, QWidget *parent)
        : QLabel(parent)
        , m_fitsText(fitsText)
    {
    }

    void setCaption(const QString &text);
    QString caption() const { return text(); }
    /// A screen reader names the label with this before its text.
    void setAccessiblePrefix(const QString &prefix);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fitToText();
    QRect shownTextRect() const;
    const QPixmap &renderedText();

    void updateAccessibleName();

    bool m_fitsText;
    QString m_accessiblePrefix;

    struct Rendered
    {
        QString text;
        QFont font;
        QColor colour;
        QRect box;   // the text's box: contentsRect()
        QRect shown; // the part of it inside the parent
        qreal ratio = 0;
        int alignment = 0;
        bool operator==(const Rendered &) const = default;
    };
    Rendered m_renderedFor;
    QPixmap m_rendered;
};
