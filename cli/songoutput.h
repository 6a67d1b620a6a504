// SPDX-License-Identifier: MIT
// The found songs on standard output, as lines or JSON, and as an M3U playlist.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Qorvin::Cli {

struct SongEntry
{
    QString title; // plain text
    QString link;  // the address the result page's link points to
};

// List1 and List2 as a reader of the result page sees them.
QList<SongEntry> songEntries(const QStringList& titles, const QStringList& links);

// "N. title  link", one line per song, in UTF-8.
QByteArray songLines(const QList<SongEntry>& songs);

// [{"title": ..., "link": ...}, ...] in UTF-8, with a line break at the end.
QByteArray songsJson(const QList<SongEntry>& songs);

// The links as an extended M3U playlist of remote entries, written through QSaveFile. Returns the
// reason when it could not be written, else the empty text.
QString writePlaylist(const QString& filePath, const QList<SongEntry>& songs);

} // namespace Qorvin::Cli
