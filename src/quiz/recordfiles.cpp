// SPDX-License-Identifier: GPL-3.0-or-later
// The record: the best score and its holder, in two one-line files in one
// directory for the whole machine.
#include "runtime/runtime.h"
#include "ui/designlabel.h"
#include "ui/tavola.h"

namespace {

// Each name begins with a separator and the directory ends with one: the
// doubled separator names the same file.
QString scoreFile(const QString &windowsDir)
{
    return windowsDir + QStringLiteral("/quirel.txt");
}
QString nameFile(const QString &windowsDir)
{
    return windowsDir + QStringLiteral("/nquirel.txt");
}

} // namespace

QString Tavola::GetSystemDir()
{
    const QString directory = m_runtime.WindowsDirectory();
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

QString Tavola::Leggifiletxt(const QString &nomefile)
{
    return m_runtime.Record().read(nomefile);
}

void Tavola::LoadRecord()
{
    // Both files of one save, through the record service, which also makes
    // them, empty, where they are missing: the window never touches them.
    const RecordStore::Reading reading = m_runtime.Record().reading();
    lblpunti->setCaption(Leggifiletxt(scoreFile(m_state.windowsDir)));
    lblnome->setCaption(Leggifiletxt(nameFile(m_state.windowsDir)));
}

bool Tavola::SaveRecord(const QString &scoreText, const QString &name)
{
    // The record shown at the start may have been beaten since by another
    // copy of the program: the store saves only over a lower record on disk.
    return m_runtime.Record().saveIfHigher(scoreText, name);
}
