// SPDX-License-Identifier: GPL-3.0-or-later
// The start of every match: the name, the greeting, the clock, the record.
#include "runtime/runtime.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"

#include <QTimer>

void Tavola::Form_Load()
{
    m_state.correctCount = 0;
    m_state.wrongCount = 0;
    // No tick may fall into the two boxes.
    Timer1->stop();
    m_state.playerName = m_runtime.AskText(QStringLiteral("Come ti chiami?"));
    m_runtime.ShowMessage(u' ' + m_state.playerName +
                          QStringLiteral(" vediamo se sei un vero campione  "));
    lblnome1->setCaption(m_state.playerName);
    StartClock();
    m_state.windowsDir = GetSystemDir();
    LoadRecord();
    ShowClock();
}
