// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

/// A label of the window. One that fits its text takes the size of each new
/// text, keeping its left and top edges; the others keep their design size.
/// The text is drawn from the top of the label, on one line, clipped.
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
    /// Tells a screen reader to read the label now (a judgement).
    void announce();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fitToText();

    void updateAccessibleName();

    bool m_fitsText;
    QString m_accessiblePrefix;
};
