// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

#include <functional>

/// The answer box. Each typed character is offered, as its character code,
/// to a key filter before the box sees it; a filter that sets the code to 0
/// discards the key. Keys that type no character (arrows, Delete, Home...)
/// go to the box as usual.
class AnswerField : public QLineEdit
{
public:
    using KeyFilter = std::function<void(qint16 &key)>;

    explicit AnswerField(QWidget *parent)
        : QLineEdit(parent)
    {
    }
    void setKeyFilter(KeyFilter filter) { m_filter = std::move(filter); }

    /// The character code a key event types: 13 for Enter, Return and keypad
    /// Enter, 8 for Backspace, a control code for Ctrl with a letter; -1 for
    /// a key that types no character.
    static int characterCode(const QKeyEvent &event);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    KeyFilter m_filter;
};
