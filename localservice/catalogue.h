// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/song.h"
#include "localservice/songindex.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace Qorvin::LocalService {

// The service's songs, in the fixed order of every result, with the index the search uses.
class Catalogue
{
public:
    // The catalogue compiled into the library, read once on first use.
    static const Catalogue& builtIn();

    // catalogueText: one song a line, "name<TAB>singer"; lines without a tab are skipped.
    // classicsText: names of the classics list, one a line; names not in the catalogue are skipped.
    static Catalogue fromText(QStringView catalogueText, QStringView classicsText = {});

    qsizetype size() const { return m_songs.size(); }
    const Song& song(SongId id) const { return m_songs[id]; }
    const QList<Song>& songs() const { return m_songs; }
    // The ids of the classics, in their list's order (the first song of each name).
    const QList<SongId>& classics() const { return m_classics; }

    // The songs whose name or singer contains every blank-separated term of word, in catalogue order.
    QList<SongId> find(QStringView word) const { return m_index.find(m_songs, word); }

private:
    QList<Song> m_songs;
    QList<SongId> m_classics;
    SongIndex m_index;
};

} // namespace Qorvin::LocalService
