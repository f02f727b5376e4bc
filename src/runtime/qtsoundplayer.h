// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundplayer.h"

#include <QHash>

#include <memory>

class QSoundEffect;

/// Qt Multimedia's low-latency effects, one per file, made when warming up
/// (or on first use) and kept. Lives in the sound module, so that the
/// program starts without loading Qt Multimedia.
class QtSoundPlayer final : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    void warmUp(const QStringList &paths) override;
    void play(const QString &path) override;

private:
    QSoundEffect *effectFor(const QString &path);

    QHash<QString, std::shared_ptr<QSoundEffect>> m_effects;
};
