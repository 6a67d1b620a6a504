// SPDX-License-Identifier: MIT
#include "songaudio.h"

#include "melody.h"
#include "mp3encoder.h"

#include <QMutexLocker>

namespace Qorvin::LocalService {

QByteArray SongAudio::mp3For(SongId id)
{
    {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_cache.constFind(id);
        if (it != m_cache.constEnd())
            return *it;
    }
    const Mp3Result result = encodeMp3(melodyOf(id), MelodySampleRate, Kbps);
    if (!result.error.isEmpty()) {
        qWarning("%s", qPrintable(result.error));
        return {};
    }
    const QMutexLocker lock(&m_mutex);
    if (m_cache.size() >= CacheLimit)
        m_cache.clear();
    m_cache.insert(id, result.mp3);
    return result.mp3;
}

} // namespace Qorvin::LocalService
