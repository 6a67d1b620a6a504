// SPDX-License-Identifier: MIT
#include "melody.h"
#include "songaudio.h"

#include <QTest>

#include <lame/lame.h>

#include <vector>

using namespace Qorvin::LocalService;

namespace {

// Counts MPEG-1 Layer III frames without CRC (sync, version 1, layer III), each 144 * bitrate /
// sample rate long (+ padding); -1 when a frame header is not where it should be.
int frameCount(const QByteArray& mp3)
{
    int frames = 0;
    for (qsizetype at = 0; at + 4 <= mp3.size(); ++frames) {
        if (uchar(mp3[at]) != 0xFF || (uchar(mp3[at + 1]) & 0xFE) != 0xFA)
            return -1;
        const int padding = (uchar(mp3[at + 2]) >> 1) & 1;
        at += 144 * SongAudio::Kbps * 1000 / MelodySampleRate + padding;
    }
    return frames;
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
    for (int calls = 0; calls < 10000; ++calls) {
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
    void filesAreLayer3Frames();
    void sameSongSameFileOtherSongOtherFile();
    void decodesToTheMelody();
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

void TestSongAudio::filesAreLayer3Frames()
{
    SongAudio audio;
    const QByteArray mp3 = audio.mp3For(7);
    // Four seconds at 32 kHz: 1152 samples a frame, and the encoder's delay adds a few more.
    const int frames = frameCount(mp3);
    QVERIFY2(frames >= 4 * MelodySampleRate / 1152 && frames < 4 * MelodySampleRate / 1152 + 6,
             qPrintable(QString::number(frames)));
}

void TestSongAudio::sameSongSameFileOtherSongOtherFile()
{
    SongAudio audio;
    SongAudio other;
    QCOMPARE(audio.mp3For(1), other.mp3For(1));
    QCOMPARE(audio.mp3For(1), audio.mp3For(1));
    QVERIFY(audio.mp3For(1) != audio.mp3For(2));
}

void TestSongAudio::decodesToTheMelody()
{
    SongAudio audio;
    const Decoded sound = decoded(audio.mp3For(1448));
    QCOMPARE(sound.sampleRate, MelodySampleRate);
    QCOMPARE(sound.channels, 1);
    // Four seconds, give or take the coder's delay and the last frame's filling.
    QVERIFY2(qAbs(qsizetype(sound.samples.size()) - 4 * MelodySampleRate) < 3 * 1152,
             qPrintable(QString::number(sound.samples.size())));
    short loudest = 0;
    for (short sample : sound.samples)
        loudest = qMax<short>(loudest, short(qAbs(sample)));
    QVERIFY(loudest > 3000);
}

QTEST_GUILESS_MAIN(TestSongAudio)
#include "tst_songaudio.moc"
