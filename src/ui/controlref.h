// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "design.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <type_traits>

class AnswerField;
class DesignLabel;
class PictureButton;
class QLabel;
class QPushButton;
class QWidget;

/// The widgets built from the design table, in its order; all null while the
/// window is not loaded.
using ControlWidgets = std::array<QWidget *, design::controls.size()>;

/// The kind of control each widget class is made for; no other class can
/// name a control.
template <typename Widget>
consteval design::Kind kindOf()
{
    using design::Kind;
    if constexpr (std::is_same_v<Widget, DesignLabel>)
        return Kind::Label;
    else if constexpr (std::is_same_v<Widget, AnswerField>)
        return Kind::TextField;
    else if constexpr (std::is_same_v<Widget, PictureButton>)
        return Kind::PictureButton;
    else if constexpr (std::is_same_v<Widget, QPushButton>)
        return Kind::PushButton;
    else if constexpr (std::is_same_v<Widget, QLabel>)
        return Kind::Picture;
}

/// A control's name as a template argument.
template <std::size_t N>
struct ControlName
{
    consteval ControlName(const char (&name)[N]) { std::copy_n(name, N, text); }
    char text[N];
};

/// The window's handle on one control of the design table, used as a
/// pointer. Its name and class are checked against the table when the
/// program is built: a control missing from the table, or of another kind,
/// does not compile. Using it while the window is unloaded ends the program
/// with a message naming the control, in every build.
template <typename Widget, ControlName name>
class ControlRef
{
    static constexpr std::size_t index = design::indexOf(name.text);
    static_assert(design::controls[index].kind == kindOf<Widget>(),
                  "the control's class does not match its kind in the design table");

public:
    explicit ControlRef(const ControlWidgets &widgets)
        : m_widgets(widgets)
    {
    }
    Widget *get() const
    {
        QWidget *widget = m_widgets[index];
        if (!widget)
            qFatal("Sequilla: control %s used while the window is not loaded", name.text);
        return static_cast<Widget *>(widget);
    }
    Widget *operator->() const { return get(); }
    operator Widget *() const { return get(); }

private:
    const ControlWidgets &m_widgets;
};
