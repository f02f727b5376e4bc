// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtsoundplayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

QSoundEffect *QtSoundPlayer::effectFor(const QString &path)
{
    // Checked on every call: a missing file is silence, not a decoder warning.
    if (!QFileInfo(path).isFile())
        return nullptr;
    auto &effect = m_effects[path];
    if (!effect) {
        effect = std::make_shared<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(path));
    }
    return effect.get();
}

void QtSoundPlayer::warmUp(const QStringList &paths)
{
    // Each effect decodes its file in the background from here on.
    for (const QString &path : paths)
        effectFor(path);
}

void QtSoundPlayer::play(const QString &path)
{
    QSoundEffect *effect = effectFor(path);
    for (const auto &other : std::as_const(m_effects))
        if (other.get() != effect)
            other->stop();
    if (effect) {
        effect->stop();
        effect->play();
    }
}

// What the program looks up when it loads this module.
extern "C" Q_DECL_EXPORT SoundPlayer *sequillaCreateSoundPlayer()
{
    return new QtSoundPlayer;
}
