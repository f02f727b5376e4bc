// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QToolButton>

/// A push button with a picture above its caption and one picture each for
/// the pressed and the disabled states. A click, Space, Enter while it has
/// the focus, or its access key press it.
class PictureButton : public QToolButton
{
public:
    explicit PictureButton(QWidget *parent);
    void setPictures(const QPixmap &normal, const QPixmap &pressed, const QPixmap &disabled);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QIcon m_normal;
    QIcon m_pressed;
};
