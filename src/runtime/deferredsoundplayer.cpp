// SPDX-License-Identifier: GPL-3.0-or-later
#include "deferredsoundplayer.h"

#include "apppath.h"

#include <QDebug>

DeferredSoundPlayer::DeferredSoundPlayer(const QString &modulePath)
    : m_module(modulePath)
{
}

// The player goes before its module; the module itself stays loaded until
// the process ends, as Qt Multimedia's own threads may still run from it.
DeferredSoundPlayer::~DeferredSoundPlayer() = default;

QString DeferredSoundPlayer::besideProgram()
{
    return AppPath() + QStringLiteral("/libsequilla-sound.so");
}

SoundPlayer *DeferredSoundPlayer::player()
{
    if (!m_tried) {
        m_tried = true;
        using Create = SoundPlayer *(*)();
        if (const auto create = Create(m_module.resolve("sequillaCreateSoundPlayer")))
            m_player.reset(create());
        else
            qWarning().noquote() << "Sequilla: no sound:" << m_module.errorString();
    }
    return m_player.get();
}

void DeferredSoundPlayer::warmUp(const QStringList &paths)
{
    if (SoundPlayer *loaded = player())
        loaded->warmUp(paths);
}

void DeferredSoundPlayer::play(const QString &path)
{
    if (SoundPlayer *loaded = player())
        loaded->play(path);
}
