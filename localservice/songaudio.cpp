// SPDX-License-Identifier: MIT
#include "localservice/songaudio.h"

#include "localservice/melody.h"
#include "localservice/mp3encoder.h"
#include "localservice/seededhash.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>
#include <mutex>

namespace Qorvin::LocalService {

namespace {

static_assert(SongFile::FrameBytes == 144 * SongAudio::Kbps * 1000 / MelodySampleRate);

using Tunes = std::array<QByteArray, SongAudio::TuneCount>;

// Each tune is a melody encoded without the bit reservoir, so that every frame stands alone and
// any frame may follow any other when the tune repeats.
QByteArray encodedTune(int tune)
{
    const Mp3Result result = encodeMp3(melodyOf(SongId(tune) + 1'000'000), MelodySampleRate, SongAudio::Kbps);
    if (!result.error.isEmpty()) {
        qWarning("%s", qPrintable(result.error));
        return {};
    }
    if (result.mp3.isEmpty() || result.mp3.size() % SongFile::FrameBytes != 0) {
        qWarning("libmp3lame made frames of an unexpected size");
        return {};
    }
    return result.mp3;
}

const Tunes& tunes()
{
    static Tunes encoded;
    static std::once_flag once;
    std::call_once(once, [] {
        for (int tune = 0; tune < SongAudio::TuneCount; ++tune) {
            encoded[size_t(tune)] = encodedTune(tune);
            if (encoded[size_t(tune)].isEmpty()) {
                encoded = {};
                return;
            }
        }
    });
    return encoded;
}

// An ID3v2.3 tag holding the title "歌曲 <id>" in UTF-16, as many players write it.
QByteArray id3TagOf(SongId id)
{
    const QString title = QStringLiteral("歌曲 %1").arg(id);
    QByteArray text("\x01\xFF\xFE", 3); // UTF-16 with a little-endian byte order mark
    for (const QChar c : title) {
        text += char(c.unicode() & 0xFF);
        text += char(c.unicode() >> 8);
    }
    QByteArray frame("TIT2");
    for (int shift = 24; shift >= 0; shift -= 8)
        frame += char((text.size() >> shift) & 0xFF);
    frame += QByteArray(2, '\0') + text;

    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7) // the tag size is "syncsafe": 7 bits a byte
        tag += char((frame.size() >> shift) & 0x7F);
    return tag + frame;
}

QByteArray lastModifiedOf(SongId id)
{
    const QDateTime base(QDate(2005, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime modified = base.addSecs(qint64(seededHash(std::uint64_t(id), 92) % (5 * 365 * 86400)));
    return QLocale::c().toString(modified, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
}

} // namespace

QByteArray SongFile::read(qint64 offset, qint64 length) const
{
    if (!isValid() || offset < 0 || length <= 0 || offset >= size())
        return {};
    length = qMin(length, size() - offset);
    QByteArray bytes;
    bytes.reserve(length);
    if (offset < m_tag.size()) {
        const qint64 fromTag = qMin(length, m_tag.size() - offset);
        bytes.append(m_tag.constData() + offset, fromTag);
        offset += fromTag;
        length -= fromTag;
    }
    const qint64 tuneBytes = m_tune.size();
    qint64 at = (m_firstFrame * FrameBytes + offset - m_tag.size()) % tuneBytes;
    while (length > 0) {
        const qint64 run = qMin(length, tuneBytes - at);
        bytes.append(m_tune.constData() + at, run);
        length -= run;
        at = 0;
    }
    return bytes;
}

SongFile SongFile::changed(int n) const
{
    if (n == 0 || !isValid())
        return *this;
    SongFile file = *this;
    file.m_firstFrame = (m_firstFrame + n) % (m_tune.size() / FrameBytes);
    file.m_etag = m_etag.chopped(1) + "-c" + QByteArray::number(n) + '"';
    const QDateTime modified = QLocale::c().toDateTime(QString::fromLatin1(m_lastModified),
                                                       QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    file.m_lastModified =
        QLocale::c()
            .toString(modified.addDays(n), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
            .toLatin1();
    return file;
}

void SongAudio::prepare()
{
    tunes();
}

SongFile SongAudio::fileOf(SongId id)
{
    const Tunes& all = tunes();
    SongFile file;
    const std::uint64_t hash = seededHash(std::uint64_t(id), 90);
    file.m_tune = all[size_t(hash % TuneCount)];
    if (!file.isValid())
        return file;
    if ((hash >> 8) % 2 == 0)
        file.m_tag = id3TagOf(id);
    const qint64 frames = file.m_tune.size() / SongFile::FrameBytes;
    file.m_firstFrame = qint64((hash >> 16) % std::uint64_t(frames));
    const qint64 target =
        MinFileBytes + qint64((hash >> 24) % std::uint64_t(MaxFileBytes - MinFileBytes + 1));
    file.m_frameCount = (target - file.m_tag.size()) / SongFile::FrameBytes;
    file.m_etag = '"' + QByteArray::number(seededHash(std::uint64_t(id), 91), 16) + '-' +
                  QByteArray::number(file.size()) + '"';
    file.m_lastModified = lastModifiedOf(id);
    return file;
}

QByteArray SongAudio::fileBytes(SongId id)
{
    const SongFile file = fileOf(id);
    return file.read(0, file.size());
}

} // namespace Qorvin::LocalService
