// SPDX-License-Identifier: MIT
#include "download/playlist.h"

#include "base/wholefilewrite.h"
#include "download/songfilename.h"

namespace Qorvin {

namespace {

// A line break would start a new entry in the middle of a title.
QByteArray oneLine(const QString& text)
{
    QString line = text;
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line.toUtf8();
}

} // namespace

QByteArray playlistBytes(const QList<PlaylistEntry>& entries)
{
    QByteArray bytes = "#EXTM3U\n";
    for (const PlaylistEntry& entry : entries) {
        bytes += "#EXTINF:-1," + oneLine(entry.title) + '\n';
        bytes += oneLine(entry.location) + '\n';
    }
    return bytes;
}

Outcome writePlaylist(const QString& filePath, const QList<PlaylistEntry>& entries)
{
    return writeWholeFile(filePath, playlistBytes(entries));
}

QList<PlaylistEntry> remotePlaylistEntries(const QList<DownloadRequest>& songs)
{
    QList<PlaylistEntry> entries;
    for (const DownloadRequest& song : songs) {
        if (song.url.isValid())
            entries.append({song.title, QString::fromUtf8(song.url.toEncoded())});
    }
    return entries;
}

QString playlistFileName(const QString& keyword)
{
    const QString stem = safeFileStem(keyword, 200 - 6);
    return (stem.isEmpty() ? QStringLiteral("播放列表") : stem) + QStringLiteral(".m3u8");
}

} // namespace Qorvin
