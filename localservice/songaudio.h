// SPDX-License-Identifier: MIT
#pragma once

#include "song.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>

namespace Qorvin::LocalService {

// The MP3 file of every song: its melody, encoded on first request and kept.
class SongAudio
{
public:
    static constexpr int Kbps = 32;
    // Files kept at once (about 16 KB each); past it the cache starts afresh.
    static constexpr qsizetype CacheLimit = 1024;

    // The file, or an empty array when the encoder failed.
    QByteArray mp3For(SongId id);

private:
    QMutex m_mutex;
    QHash<SongId, QByteArray> m_cache;
};

} // namespace Qorvin::LocalService
