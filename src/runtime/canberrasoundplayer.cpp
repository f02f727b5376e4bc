// SPDX-License-Identifier: GPL-3.0-or-later
#include "canberrasoundplayer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <canberra.h>

namespace {

// Every judgement is played under this id, so that the next one cuts it off.
constexpr std::uint32_t judgementId = 1;

// A file's sample in the server's cache is named after its path (in the
// letters a sample name may hold): runs of the same program share their
// samples, and no run leaves new ones behind.
QByteArray sampleName(const QByteArray &file)
{
    return "sequilla-" + QCryptographicHash::hash(file, QCryptographicHash::Sha1).toHex();
}

} // namespace

CanberraSoundPlayer::CanberraSoundPlayer() = default;

CanberraSoundPlayer::~CanberraSoundPlayer()
{
    if (m_context)
        ca_context_destroy(m_context);
}

ca_context *CanberraSoundPlayer::context()
{
    if (!m_tried) {
        m_tried = true;
        const QByteArray name = QCoreApplication::applicationName().toUtf8();
        if (ca_context_create(&m_context) != CA_SUCCESS)
            return m_context = nullptr;
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, name.constData(), nullptr);
        if (ca_context_open(m_context) != CA_SUCCESS) {
            ca_context_destroy(m_context);
            m_context = nullptr;
        }
    }
    return m_context;
}

void CanberraSoundPlayer::warmUp(const QStringList &paths)
{
    ca_context *server = context();
    if (!server)
        return;
    for (const QString &path : paths) {
        const QByteArray file = QFile::encodeName(path);
        if (QFileInfo(path).isFile())
            ca_context_cache(server, CA_PROP_EVENT_ID, sampleName(file).constData(),
                             CA_PROP_MEDIA_FILENAME, file.constData(), nullptr);
    }
}

void CanberraSoundPlayer::play(const QString &path)
{
    ca_context *server = context();
    if (!server)
        return;
    ca_context_cancel(server, judgementId);
    // Checked on every call: a file that went missing is silence. A sample
    // missing from the cache (the server restarted) is played from its file.
    const QByteArray file = QFile::encodeName(path);
    if (QFileInfo(path).isFile())
        ca_context_play(server, judgementId, CA_PROP_EVENT_ID, sampleName(file).constData(),
                        CA_PROP_MEDIA_FILENAME, file.constData(), CA_PROP_CANBERRA_CACHE_CONTROL,
                        "permanent", nullptr);
}
