// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundplayer.h"

#include <QLibrary>

#include <memory>

/// The program's sound player: it loads the sound module (Qt Multimedia and
/// the audio libraries behind it) only when warming up or at the first play,
/// and forwards to the player the module makes. A module that cannot be
/// loaded gives silence, with one warning on standard error.
class DeferredSoundPlayer final : public SoundPlayer
{
public:
    explicit DeferredSoundPlayer(const QString &modulePath);
    ~DeferredSoundPlayer() override;

    void warmUp(const QStringList &paths) override;
    void play(const QString &path) override;

    /// The path of the module beside the program file.
    static QString besideProgram();

private:
    SoundPlayer *player();

    QLibrary m_module;
    std::unique_ptr<SoundPlayer> m_player;
    bool m_tried = false;
};
