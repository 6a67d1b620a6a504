// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/song.h"

#include <QList>

namespace Qorvin::LocalService {

inline constexpr int MelodySampleRate = 32000; // the lowest rate of MPEG-1 Layer III

// A short mono tune of 16-bit samples at MelodySampleRate: eight notes of a pentatonic scale
// picked by a hash of the song id, each with a soft start and end, about four seconds in all.
QList<qint16> melodyOf(SongId id);

} // namespace Qorvin::LocalService
