// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundplayer.h"

struct ca_context;

/// Event sounds through libcanberra, as the free desktops play theirs: each
/// file goes once into the sound server's sample cache, and a play starts it
/// from there, in the server, without opening a stream. The connection is
/// made when warming up (or at the first play); with no sound server, every
/// play is silence.
class CanberraSoundPlayer final : public SoundPlayer
{
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer &) = delete;
    CanberraSoundPlayer &operator=(const CanberraSoundPlayer &) = delete;

    void warmUp(const QStringList &paths) override;
    void play(const QString &path) override;

private:
    ca_context *context();

    ca_context *m_context = nullptr;
    bool m_tried = false;
};
