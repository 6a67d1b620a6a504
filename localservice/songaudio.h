// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/song.h"

#include <QByteArray>

namespace Qorvin::LocalService {

// One song's MP3 file, described rather than held: the tags of its time (localservice/periodtags.h)
// around a few kilobytes of encoded tune, repeated frame by frame from a frame of the song's own
// up to a length fixed per song. Any part of it is
// made on demand, so serving a file costs a copy of the bytes sent and nothing more.
class SongFile
{
public:
    SongFile() = default;

    // False when the encoder failed: there is no file to serve.
    bool isValid() const { return !m_tune.isEmpty(); }
    qint64 size() const { return m_tag.size() + m_frameCount * FrameBytes + m_trailer.size(); }

    // Bytes [offset, offset + length), cut at the end of the file.
    QByteArray read(qint64 offset, qint64 length) const;

    // Validators fixed per song, for conditional and resumed requests.
    QByteArray etag() const { return m_etag; }
    QByteArray lastModified() const { return m_lastModified; }

    // The file as it reads after its nth change (0: unchanged): of the same size, its tune
    // shifted by n frames, under its own ETag and a later Last-Modified.
    SongFile changed(int n) const;

    // MPEG-1 Layer III, 32 kbit/s at 32 kHz: every frame is 144 bytes, none padded.
    static constexpr qint64 FrameBytes = 144;

private:
    friend class SongAudio;

    QByteArray m_tag;     // an ID3v2 tag before the frames, or nothing
    QByteArray m_trailer; // an ID3v1 tag after them, or nothing
    QByteArray m_tune; // whole frames, shared by every song of the same tune
    qint64 m_firstFrame = 0;
    qint64 m_frameCount = 0;
    QByteArray m_etag;
    QByteArray m_lastModified;
};

// The MP3 files of every song. The tunes are encoded once per process, all at the first call,
// so that no request ever waits for the encoder after that.
class SongAudio
{
public:
    static constexpr int Kbps = 32;
    static constexpr int TuneCount = 16;
    static constexpr qint64 MinFileBytes = 2'000'000;
    static constexpr qint64 MaxFileBytes = 5'000'000;

    // Encodes the tunes now (about 0.2 s), if no call did before.
    static void prepare();

    static SongFile fileOf(SongId id);

    // The whole file at once, for tests and checks; empty when the encoder failed.
    static QByteArray fileBytes(SongId id);
};

} // namespace Qorvin::LocalService
