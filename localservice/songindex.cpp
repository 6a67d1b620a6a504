// SPDX-License-Identifier: MIT
#include "localservice/songindex.h"

namespace Qorvin::LocalService {

namespace {

char16_t folded(QChar c)
{
    return c.toCaseFolded().unicode();
}

// Chinese text has no case: comparing without folding is several times faster.
Qt::CaseSensitivity sensitivityFor(QStringView term)
{
    for (QChar c : term) {
        if (c.toLower() != c.toUpper())
            return Qt::CaseInsensitive;
    }
    return Qt::CaseSensitive;
}

bool holds(const Song& song, QStringView term, Qt::CaseSensitivity cs)
{
    return song.name.contains(term, cs) || song.singer.contains(term, cs);
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
    const QList<SongId>* candidates = nullptr;
    for (QStringView term : terms) {
        const QList<SongId>* forTerm = candidatesFor(term);
        if (!forTerm)
            return {};
        if (!candidates || forTerm->size() < candidates->size())
            candidates = forTerm;
    }
    if (!candidates) // no terms at all
        return {};

    // A one-character term needs no comparing: its songs are exactly those it points at.
    QList<QStringView> toCompare;
    QList<Qt::CaseSensitivity> sensitivities;
    for (QStringView term : terms) {
        if (term.size() > 1 || candidatesFor(term) != candidates) {
            toCompare.append(term);
            sensitivities.append(sensitivityFor(term));
        }
    }
    if (toCompare.isEmpty())
        return *candidates;

    QList<SongId> found;
    for (SongId id : *candidates) {
        const Song& song = songs[id];
        bool all = true;
        for (qsizetype i = 0; all && i < toCompare.size(); ++i)
            all = holds(song, toCompare[i], sensitivities[i]);
        if (all)
            found.append(id);
    }
    return found;
}

} // namespace Qorvin::LocalService
