// SPDX-License-Identifier: MIT
#include "localservice/melody.h"

#include "localservice/seededhash.h"

#include <cmath>
#include <numbers>

namespace Qorvin::LocalService {

namespace {

constexpr int NoteCount = 8;
constexpr int NoteSamples = MelodySampleRate / 2;
constexpr int FadeSamples = MelodySampleRate / 50;
constexpr double Loudness = 9000.0;

// Gong, shang, jue, zhi, yu over two octaves, as semitones above the key note.
constexpr int Pentatonic[] = {0, 2, 4, 7, 9, 12, 14, 16, 19, 21};

double envelope(int sample)
{
    if (sample < FadeSamples)
        return double(sample) / FadeSamples;
    const int left = NoteSamples - sample;
    if (left < FadeSamples * 4)
        return double(left) / (FadeSamples * 4);
    return 1.0;
}

} // namespace

QList<qint16> melodyOf(SongId id)
{
    const std::uint64_t tune = seededHash(std::uint64_t(id), 77);
    const double keyHz = 220.0 * std::pow(2.0, double(tune % 12) / 12.0);
    QList<qint16> samples;
    samples.reserve(NoteCount * NoteSamples);
    for (int note = 0; note < NoteCount; ++note) {
        const std::uint64_t step = (tune >> (8 + note * 4)) % std::size(Pentatonic);
        const double hz = keyHz * std::pow(2.0, Pentatonic[step] / 12.0);
        for (int i = 0; i < NoteSamples; ++i) {
            const double t = double(i) / MelodySampleRate;
            const double tone =
                std::sin(2 * std::numbers::pi * hz * t) + 0.3 * std::sin(4 * std::numbers::pi * hz * t);
            samples.append(qint16(std::lround(Loudness * envelope(i) * tone / 1.3)));
        }
    }
    return samples;
}

} // namespace Qorvin::LocalService
