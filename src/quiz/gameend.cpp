// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a match: time up or the exit button, with the record decision;
// or a new match from the menu.
#include "runtime/conversions.h"
#include "runtime/runtime.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"

void Tavola::decideRecord()
{
    // Captions, read only now: the goodbye box may have stood open a while.
    const double record = lenientNumber(lblpunti->caption());
    const double score = strictNumber(lblScore->caption());
    if (record >= score || !SaveRecord(lblScore->caption(), lblnome1->caption()))
        m_runtime.EndProgram();
    m_runtime.ShowMessage(QStringLiteral("Ok! Ho registrato il tuo record, C A M P I O N E"));
    m_runtime.EndProgram();
}

bool Tavola::SaveRecord(const QString &scoreText, const QString &name)
{
    // The record shown at the start may have been beaten since by another
    // copy of the program: the store saves only over a lower record on disk.
    return m_runtime.Record().saveIfHigher(scoreText, name);
}

void Tavola::EndGame()
{
    m_gameEnding = true;
    m_runtime.ShowMessage(QStringLiteral("Ciao, alla prossima sfida. "));
    decideRecord();
}

void Tavola::cmdExit_Click()
{
    m_gameEnding = true;
    decideRecord();
}

void Tavola::Next_Click()
{
    if (m_runtime.ShowMessage(QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"),
                              Runtime::YesNoQuestionDefaultNo,
                              QStringLiteral("INIZIARE NUOVA GARA")) == Runtime::No)
        return;
    // The limit asked for changes nothing: the questions stay n + 1.
    if (m_runtime.AskText(QStringLiteral("Tavola pitagorica fino al numero? ")).isEmpty())
        m_runtime.ShowMessage(u' ' + m_state.playerName +
                              QStringLiteral(" siccome non hai scelto arriviamo fino al 10."));
    Unload();
    Show();
}
