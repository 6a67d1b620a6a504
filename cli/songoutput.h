// SPDX-License-Identifier: MIT
// The found songs on standard output, as lines or JSON.
#pragma once

#include "download/downloadrequest.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Qorvin::Cli {

struct SongEntry
{
    QString title; // plain text
    QString link;  // the address the result page's link points to; empty when it points nowhere
};

// List1 and List2 (titles and hrefs in HTML, as the result page holds them) decoded once, as a
// reader of the result page sees them.
QList<DownloadRequest> foundSongs(const QStringList& titles, const QStringList& links);

QList<SongEntry> songEntries(const QList<DownloadRequest>& songs);

// "N. title  link", one line per song, in UTF-8.
QByteArray songLines(const QList<SongEntry>& songs);

// [{"title": ..., "link": ...}, ...] in UTF-8, with a line break at the end.
QByteArray songsJson(const QList<SongEntry>& songs);

} // namespace Qorvin::Cli
