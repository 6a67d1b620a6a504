// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Qorvin::LocalService {

// One catalogue entry: the song's name (tune, "·", first clause) and its singer (the author).
struct Song
{
    QString name;
    QString singer;
};

// A song's place in the catalogue; the order of the catalogue file is the order of every result.
using SongId = qsizetype;

} // namespace Qorvin::LocalService
