// SPDX-License-Identifier: GPL-3.0-or-later
// The record: the best score and its holder, in two one-line files in one
// directory for the whole machine.
#include "runtime/runtime.h"
#include "runtime/textfiles.h"
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
    return existingDirectory(m_runtime.WindowsDirectory());
}

QString Tavola::Leggifiletxt(const QString &nomefile)
{
    return readTextFile(nomefile);
}

void Tavola::EnsureRecordFiles()
{
    ensureTextFile(scoreFile(m_state.windowsDir));
    ensureTextFile(nameFile(m_state.windowsDir));
}

void Tavola::LoadRecord()
{
    lblpunti->setCaption(Leggifiletxt(scoreFile(m_state.windowsDir)));
    lblnome->setCaption(Leggifiletxt(nameFile(m_state.windowsDir)));
}

void Tavola::SaveRecord(const QString &scoreText, const QString &name)
{
    // The score file is whole on disk before the name file is begun.
    writeTextLine(scoreFile(m_state.windowsDir), scoreText);
    writeTextLine(nameFile(m_state.windowsDir), name);
}
