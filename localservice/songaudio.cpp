// SPDX-License-Identifier: MIT
#include "localservice/songaudio.h"

#include "localservice/catalogue.h"
#include "localservice/melody.h"
#include "localservice/mp3encoder.h"
#include "localservice/periodtags.h"
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
    const qint64 trailerStart = m_tag.size() + m_frameCount * FrameBytes;
    qint64 at = (m_firstFrame * FrameBytes + offset - m_tag.size()) % tuneBytes;
    qint64 frameBytes = qMax<qint64>(0, qMin(length, trailerStart - offset));
    length -= frameBytes;
    while (frameBytes > 0) {
        const qint64 run = qMin(frameBytes, tuneBytes - at);
        bytes.append(m_tune.constData() + at, run);
        frameBytes -= run;
        at = 0;
    }
    if (length > 0) {
        const qint64 fromTrailer = qMax(offset, trailerStart) - trailerStart;
        bytes.append(m_trailer.constData() + fromTrailer, length);
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
    const Catalogue& catalogue = Catalogue::builtIn();
    const PeriodTags tags =
        periodTagsOf(id, id >= 0 && id < catalogue.size() ? &catalogue.song(id) : nullptr);
    file.m_tag = tags.front;
    file.m_trailer = tags.back;
    const qint64 frames = file.m_tune.size() / SongFile::FrameBytes;
    file.m_firstFrame = qint64((hash >> 16) % std::uint64_t(frames));
    const qint64 target =
        MinFileBytes + qint64((hash >> 24) % std::uint64_t(MaxFileBytes - MinFileBytes + 1));
    file.m_frameCount = (target - file.m_tag.size() - file.m_trailer.size()) / SongFile::FrameBytes;
    // The tags are part of the validator: a file whose tags change is another file.
    const std::uint64_t tagsHash = qHashBits(file.m_tag.constData(), size_t(file.m_tag.size()), 0) ^
                                   qHashBits(file.m_trailer.constData(), size_t(file.m_trailer.size()), 1);
    file.m_etag = '"' + QByteArray::number(seededHash(std::uint64_t(id), 91) ^ tagsHash, 16) + '-' +
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
