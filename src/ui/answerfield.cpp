// SPDX-License-Identifier: GPL-3.0-or-later
#include "answerfield.h"

#include <QKeyEvent>
#include <QPointer>

int AnswerField::characterCode(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete: // X11 gives Delete the text "\x7f"; it edits, it does not type
        return -1;
    default:
        break;
    }
    // Ctrl with a letter types a control character, whatever text the
    // platform attaches to it (Ctrl+V is 22 and must not paste).
    if ((event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    const QString text = event.text();
    if (text.isEmpty())
        return -1;
    return text.front().unicode();
}

void AnswerField::keyPressEvent(QKeyEvent *event)
{
    const int code = characterCode(*event);
    if (code < 0 || !m_filter) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    qint16 key = qint16(code);
    QPointer<AnswerField> self(this);
    m_filter(key);
    if (!self)
        return;
    if (key == 0)
        event->accept();
    else
        QLineEdit::keyPressEvent(event);
}
