// SPDX-License-Identifier: GPL-3.0-or-later
// The start of every match: the name, the greeting, the clock, the record
// as the service reads it.
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
    LoadRecord();
    ShowClock();
}

void Tavola::LoadRecord()
{
    // Both texts of one save, through the record service, which also makes
    // the files, empty, where they are missing: the window never touches them.
    const RecordStore::Texts record = m_runtime.Record().load();
    lblpunti->setCaption(Leggifiletxt(QStringLiteral("quirel.txt"), record));
    lblnome->setCaption(Leggifiletxt(QStringLiteral("nquirel.txt"), record));
}

QString Tavola::Leggifiletxt(const QString &nomefile, const RecordStore::Texts &record)
{
    return nomefile == u"nquirel.txt" ? record.name : record.score;
}
