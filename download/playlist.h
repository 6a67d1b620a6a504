// SPDX-License-Identifier: MIT
// M3U8 playlists: the downloaded files of a batch, or the page's links for a network player.
#pragma once

#include "download/downloaditem.h"
#include "download/downloadrequest.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace Qorvin {

struct PlaylistEntry
{
    QString title;    // plain text
    QString location; // a path relative to the playlist's folder, or an absolute URL
};

// "#EXTM3U", then "#EXTINF:-1,<title>" and the location for each entry, LF line ends, UTF-8
// without a byte-order mark. Line breaks inside a title or location become blanks.
QByteArray playlistBytes(const QList<PlaylistEntry>& entries);

// Writes the playlist atomically; an existing file stays whole when writing fails.
Outcome writePlaylist(const QString& filePath, const QList<PlaylistEntry>& entries);

// The links of a result page as a remote playlist: plain titles and absolute URLs, in page order.
// Links without a usable address are left out.
QList<PlaylistEntry> remotePlaylistEntries(const QList<DownloadRequest>& songs);

// "<keyword>.m3u8" with the keyword made a safe file name ("播放列表.m3u8" when nothing is left).
QString playlistFileName(const QString& keyword);

} // namespace Qorvin
