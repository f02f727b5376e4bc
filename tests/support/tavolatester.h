// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakeruntime.h"
#include "files.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"

/// The window as tests and benchmarks drive it: its handlers and match state
/// within reach, its controls by name.
class TavolaTester : public Tavola
{
public:
    using Tavola::cmdNext_Click, Tavola::Timer1_Timer, Tavola::txtAnswer_KeyPress;
    using Tavola::LoadRecord, Tavola::SaveRecord, Tavola::Tavola;
    MatchState &state() { return m_state; }
    QWidget *control(const QString &name) const { return findChild<QWidget *>(name); }
    QString caption(const QString &name) const { return findChild<QLabel *>(name)->text(); }
};
