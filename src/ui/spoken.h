// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QWidget;

/// Moves the keyboard focus to `widget` and has a screen reader say `news`
/// (the judgement of an answer) as the focus comes there: once, and never
/// news of an answer before.
void focusAndTell(QWidget *widget, const QString &news);
