// SPDX-License-Identifier: MIT
#include "songindex.h"

#include <algorithm>

namespace Qorvin::LocalService {

namespace {

char16_t folded(QChar c)
{
    return c.toCaseFolded().unicode();
}

bool holds(const Song& song, QStringView term)
{
    return song.name.contains(term, Qt::CaseInsensitive) || song.singer.contains(term, Qt::CaseInsensitive);
}

// Any blank separates terms, the ideographic space of a Chinese keyboard included.
QList<QStringView> termsOf(QStringView word)
{
    QList<QStringView> terms;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= word.size(); ++i) {
        const bool blank = i == word.size() || word[i].isSpace();
        if (blank && start >= 0) {
            terms.append(word.sliced(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return terms;
}

} // namespace

SongIndex::SongIndex(const QList<Song>& songs)
{
    QList<char16_t> seen;
    for (SongId id = 0; id < songs.size(); ++id) {
        seen.clear();
        for (const QString* text : {&songs[id].name, &songs[id].singer}) {
            for (QChar c : *text) {
                const char16_t key = folded(c);
                if (!seen.contains(key)) {
                    seen.append(key);
                    m_songsByCharacter[key].append(id);
                }
            }
        }
    }
}

const QList<SongId>* SongIndex::candidatesFor(QStringView term) const
{
    const QList<SongId>* rarest = nullptr;
    for (QChar c : term) {
        const auto it = m_songsByCharacter.constFind(folded(c));
        if (it == m_songsByCharacter.constEnd())
            return nullptr;
        if (!rarest || it->size() < rarest->size())
            rarest = &*it;
    }
    return rarest;
}

QList<SongId> SongIndex::find(const QList<Song>& songs, QStringView word) const
{
    const QList<QStringView> terms = termsOf(word);
    if (terms.isEmpty())
        return {};

    const QList<SongId>* candidates = nullptr;
    for (QStringView term : terms) {
        const QList<SongId>* forTerm = candidatesFor(term);
        if (!forTerm)
            return {};
        if (!candidates || forTerm->size() < candidates->size())
            candidates = forTerm;
    }

    QList<SongId> found;
    for (SongId id : *candidates) {
        const Song& song = songs[id];
        if (std::all_of(terms.cbegin(), terms.cend(), [&](QStringView term) { return holds(song, term); }))
            found.append(id);
    }
    return found;
}

} // namespace Qorvin::LocalService
