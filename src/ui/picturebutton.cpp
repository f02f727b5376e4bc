// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturebutton.h"

#include <QKeyEvent>

PictureButton::PictureButton(QWidget *parent)
    : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::pressed, this, [this] {
        if (!m_pressed.isNull())
            setIcon(m_pressed);
    });
    connect(this, &QAbstractButton::released, this, [this] { setIcon(m_normal); });
}

void PictureButton::setPictures(const QPixmap &normal, const QPixmap &pressed,
                                const QPixmap &disabled)
{
    m_normal = QIcon(normal);
    if (!disabled.isNull())
        m_normal.addPixmap(disabled, QIcon::Disabled);
    if (!pressed.isNull())
        m_pressed = QIcon(pressed);
    setIcon(m_normal);
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    // A tool button ignores Enter; a push button of this window takes it,
    // the keypad's Enter too (Qt marks every keypad key with its modifier).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}
