// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundplayer.h"

#include <QHash>

#include <memory>

class QSoundEffect;

/// Qt Multimedia's low-latency effects, one per file, made on first use and
/// kept, so that a sound starts at once from its second play on.
class QtSoundPlayer final : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    void play(const QString &path) override;

private:
    QSoundEffect *effectFor(const QString &path);

    QHash<QString, std::shared_ptr<QSoundEffect>> m_effects;
};
