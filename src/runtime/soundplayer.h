// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/// Plays WAV files without waiting for them.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    /// Gets ready to play these files without delay. The window calls it once
    /// it has painted its first question, so that nothing of the sound system
    /// sits on the way to the first paint.
    virtual void warmUp(const QStringList &paths) = 0;
    /// Starts playing the WAV file at path and returns at once; a sound still
    /// playing is cut off. A missing or unplayable file, or a machine without
    /// audio, gives silence and nothing else.
    virtual void play(const QString &path) = 0;
};
