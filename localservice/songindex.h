// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/song.h"

#include <QHash>
#include <QList>
#include <QStringView>

namespace Qorvin::LocalService {

// Finds the songs whose name or singer contains a word, without scanning the whole catalogue:
// every character points at the songs that hold it, and only the songs of the word's rarest
// character are compared in full.
class SongIndex
{
public:
    SongIndex() = default;
    explicit SongIndex(const QList<Song>& songs);

    // Ids in catalogue order. Blank-separated terms must each occur in the name or in the
    // singer; a word of blanks only finds nothing.
    QList<SongId> find(const QList<Song>& songs, QStringView word) const;

private:
    const QList<SongId>* candidatesFor(QStringView term) const;

    QHash<char16_t, QList<SongId>> m_songsByCharacter;
};

} // namespace Qorvin::LocalService
