// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// Plays WAV files without waiting for them.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    /// Starts playing the WAV file at path and returns at once; a sound still
    /// playing is cut off. A missing or unplayable file, or a machine without
    /// audio, gives silence and nothing else.
    virtual void play(const QString &path) = 0;
};
