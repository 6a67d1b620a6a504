// SPDX-License-Identifier: MIT
#include "base/gbktext.h"
#include "localservice/catalogue.h"
#include "localservice/melody.h"
#include "localservice/periodtags.h"
#include "localservice/songaudio.h"

#include <QTest>

#include <lame/lame.h>

#include <vector>

using namespace Qorvin::LocalService;

namespace {

// The length of the ID3v2 tag the file begins with, or 0 when it begins with a frame.
qsizetype tagLength(const QByteArray& mp3)
{
    if (!mp3.startsWith("ID3") || mp3.size() < 10)
        return 0;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = size * 128 + (uchar(mp3[i]) & 0x7F);
    return 10 + size;
}

// Counts MPEG-1 Layer III frames without CRC at 32 kbit/s and 32 kHz (sync, version 1, layer III,
// bitrate index 1, rate index 2), 144 bytes each; -1 when a frame header is not where it should be.
int frameCount(const QByteArray& mp3, qsizetype from)
{
    int frames = 0;
    for (qsizetype at = from; at < mp3.size(); at += SongFile::FrameBytes, ++frames) {
        if (at + SongFile::FrameBytes > mp3.size() || uchar(mp3[at]) != 0xFF ||
            (uchar(mp3[at + 1]) & 0xFE) != 0xFA || (uchar(mp3[at + 2]) & 0xFC) != 0x18)
            return -1;
    }
    return frames;
}

// The first song whose file carries tags of this kind.
SongId firstSongOf(PeriodTagKind kind)
{
    const Catalogue& catalogue = Catalogue::builtIn();
    for (SongId id = 0; id < catalogue.size(); ++id) {
        if (periodTagsOf(id, &catalogue.song(id)).kind == kind)
            return id;
    }
    return -1;
}

struct Decoded
{
    int sampleRate = 0;
    int channels = 0;
    std::vector<short> samples;
};

// The file as a player would hear it, decoded by libmp3lame's own decoder: the whole file goes
// in at once, then one frame comes out per call until the decoder has nothing left.
Decoded decoded(QByteArray mp3)
{
    Decoded result;
    hip_t decoder = hip_decode_init();
    std::vector<short> left(4096), right(4096);
    mp3data_struct header{};
    auto* bytes = reinterpret_cast<unsigned char*>(mp3.data());
    size_t length = size_t(mp3.size());
    for (int calls = 0; calls < 100000; ++calls) {
        const int count = hip_decode1_headers(decoder, bytes, length, left.data(), right.data(), &header);
        length = 0;
        if (count < 0 || (count == 0 && calls > 0))
            break;
        result.samples.insert(result.samples.end(), left.begin(), left.begin() + count);
    }
    hip_decode_exit(decoder);
    if (header.header_parsed) {
        result.sampleRate = header.samplerate;
        result.channels = header.stereo;
    }
    return result;
}

} // namespace

class TestSongAudio : public QObject
{
    Q_OBJECT

private slots:
    void melodyIsShortAndAudible();
    void filesAreWholeFramesOfARealisticSize_data();
    void filesAreWholeFramesOfARealisticSize();
    void sameSongSameFileOtherSongOtherFile();
    void tagsOfTheTime_data();
    void tagsOfTheTime();
    void piecesMatchTheWholeFile_data();
    void piecesMatchTheWholeFile();
    void decodesToTheRepeatedMelody();
};

void TestSongAudio::melodyIsShortAndAudible()
{
    const QList<qint16> samples = melodyOf(42);
    QCOMPARE(samples.size(), 4 * MelodySampleRate);
    qint16 loudest = 0;
    for (qint16 sample : samples)
        loudest = qMax<qint16>(loudest, qAbs(sample));
    QVERIFY(loudest > 3000);
    QCOMPARE(samples.first(), qint16(0)); // a soft start, no click
}

void TestSongAudio::filesAreWholeFramesOfARealisticSize_data()
{
    QTest::addColumn<SongId>("id");
    for (SongId id : {0, 1, 2, 7, 1448, 31869})
        QTest::addRow("song %lld", static_cast<long long>(id)) << id;
}

void TestSongAudio::filesAreWholeFramesOfARealisticSize()
{
    QFETCH(SongId, id);
    const SongFile file = SongAudio::fileOf(id);
    QVERIFY(file.isValid());
    QVERIFY2(file.size() >= SongAudio::MinFileBytes && file.size() <= SongAudio::MaxFileBytes,
             qPrintable(QString::number(file.size())));
    const QByteArray mp3 = SongAudio::fileBytes(id);
    QCOMPARE(mp3.size(), file.size());
    // An ID3v2 tag or a frame first, as a downloader checks; then frames to the end or to an
    // ID3v1 tag.
    const qsizetype tag = tagLength(mp3);
    QVERIFY(tag > 0 || uchar(mp3[0]) == 0xFF);
    const qsizetype trailer = mp3.right(128).startsWith("TAG") ? 128 : 0;
    QVERIFY(frameCount(mp3.chopped(trailer), tag) > 0);
}

void TestSongAudio::sameSongSameFileOtherSongOtherFile()
{
    QCOMPARE(SongAudio::fileBytes(1), SongAudio::fileBytes(1));
    QVERIFY(SongAudio::fileBytes(1) != SongAudio::fileBytes(2));
    QCOMPARE(SongAudio::fileOf(1).etag(), SongAudio::fileOf(1).etag());
    QVERIFY(SongAudio::fileOf(1).etag() != SongAudio::fileOf(2).etag());
    QCOMPARE(SongAudio::fileOf(1).lastModified(), SongAudio::fileOf(1).lastModified());
    QVERIFY(SongAudio::fileOf(1).lastModified().endsWith(" GMT"));
    // Sizes differ from song to song.
    QSet<qint64> sizes;
    for (SongId id = 0; id < 20; ++id)
        sizes.insert(SongAudio::fileOf(id).size());
    QVERIFY(sizes.size() > 15);
}

void TestSongAudio::tagsOfTheTime_data()
{
    QTest::addColumn<PeriodTagKind>("kind");
    QTest::addColumn<bool>("gbk");     // title and singer as GBK bytes marked Latin-1, an ID3v1 tag
    QTest::addColumn<bool>("cover");   // a JPEG picture
    QTest::addColumn<bool>("advert");  // the advert comment

    QTest::newRow("GBK") << PeriodTagKind::GbkAsLatin1 << true << false << false;
    QTest::newRow("GBK and advert") << PeriodTagKind::GbkAsLatin1WithAdvert << true << false << true;
    QTest::newRow("UTF-16 and cover") << PeriodTagKind::Utf16WithCover << false << true << false;
    QTest::newRow("UTF-16 and advert") << PeriodTagKind::Utf16WithAdvert << false << false << true;
    QTest::newRow("none") << PeriodTagKind::None << false << false << false;
}

void TestSongAudio::tagsOfTheTime()
{
    QFETCH(PeriodTagKind, kind);
    QFETCH(bool, gbk);
    QFETCH(bool, cover);
    QFETCH(bool, advert);

    const SongId id = firstSongOf(kind);
    QVERIFY(id >= 0);
    const Song& song = Catalogue::builtIn().song(id);
    const QByteArray mp3 = SongAudio::fileBytes(id);
    QCOMPARE(mp3.startsWith("ID3\x03"), kind != PeriodTagKind::None);
    const QByteArray tag = mp3.first(tagLength(mp3));
    const QByteArray gbkName = Qorvin::gbkBytes(song.name).value_or(QByteArray());
    // A text frame of encoding 0 (Latin-1) whose bytes are the name's GBK bytes.
    const QByteArray latin1Title =
        "TIT2" + QByteArray(3, '\0') + char(gbkName.size() + 1) + QByteArray(3, '\0') + gbkName;
    QCOMPARE(tag.contains(latin1Title), gbk);
    QCOMPARE(mp3.right(128).startsWith("TAG" + gbkName.left(30).left(2)), gbk);
    QCOMPARE(tag.contains("\xFF\xD8\xFF"), cover);
    QCOMPARE(tag.contains("www.mp3.example"), advert);
}

void TestSongAudio::piecesMatchTheWholeFile_data()
{
    QTest::addColumn<SongId>("id");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<qint64>("length");
    // One song with tags before and after its frames, one with none (the test below checks which).
    const SongId tagged = firstSongOf(PeriodTagKind::GbkAsLatin1);
    const SongId bare = firstSongOf(PeriodTagKind::None);
    QTest::newRow("start") << tagged << qint64(0) << qint64(100);
    QTest::newRow("across the tag's end") << tagged << qint64(20) << qint64(300);
    QTest::newRow("one byte") << tagged << qint64(12345) << qint64(1);
    QTest::newRow("across the trailer's start") << tagged << qint64(-200) << qint64(150);
    QTest::newRow("inside the trailer") << tagged << qint64(-100) << qint64(50);
    QTest::newRow("across several repeats") << bare << qint64(70000) << qint64(200000);
    QTest::newRow("to the end and past it") << bare << qint64(-1000) << qint64(5000);
    QTest::newRow("past the end") << bare << qint64(0) << qint64(0);
}

void TestSongAudio::piecesMatchTheWholeFile()
{
    QFETCH(SongId, id);
    QFETCH(qint64, offset);
    QFETCH(qint64, length);
    QVERIFY(SongAudio::fileBytes(firstSongOf(PeriodTagKind::GbkAsLatin1)).right(128).startsWith("TAG"));
    QCOMPARE(uchar(SongAudio::fileBytes(firstSongOf(PeriodTagKind::None))[0]), uchar(0xFF));
    const SongFile file = SongAudio::fileOf(id);
    const QByteArray whole = SongAudio::fileBytes(id);
    if (offset < 0)
        offset += file.size();
    if (length == 0)
        offset = file.size();
    QCOMPARE(file.read(offset, length), whole.mid(offset, length));
}

void TestSongAudio::decodesToTheRepeatedMelody()
{
    const QByteArray mp3 = SongAudio::fileBytes(1448);
    const int frames = frameCount(mp3, tagLength(mp3));
    // A player skips the ID3v2 tag by its size before it looks for frames: a cover picture holds
    // bytes that would pass for a frame header.
    const Decoded sound = decoded(mp3.mid(tagLength(mp3)));
    QCOMPARE(sound.sampleRate, MelodySampleRate);
    QCOMPARE(sound.channels, 1);
    // Every repeated frame decodes on its own: a frame's worth of samples each, give or take the
    // decoder's start.
    QVERIFY2(qAbs(qsizetype(sound.samples.size()) - qsizetype(frames) * 1152) < 3 * 1152,
             qPrintable(QStringLiteral("%1 samples, %2 frames").arg(sound.samples.size()).arg(frames)));
    short loudest = 0;
    for (short sample : sound.samples)
        loudest = qMax<short>(loudest, short(qAbs(sample)));
    QVERIFY(loudest > 3000);
}

QTEST_GUILESS_MAIN(TestSongAudio)
#include "tst_songaudio.moc"
