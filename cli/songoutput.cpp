// SPDX-License-Identifier: MIT
#include "cli/songoutput.h"

#include "app/legacyhtml/songlinktext.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace Qorvin::Cli {

namespace {

// One JSON string, escaped by Qt's writer.
QByteArray jsonString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // without the brackets around it
}

} // namespace

QList<DownloadRequest> foundSongs(const QStringList& titles, const QStringList& links)
{
    QList<SongLink> songs;
    const qsizetype count = std::min(titles.size(), links.size());
    songs.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        songs.append(SongLink{titles.at(i), links.at(i)});
    return downloadRequests(songs);
}

QList<SongEntry> songEntries(const QList<DownloadRequest>& songs)
{
    QList<SongEntry> entries;
    entries.reserve(songs.size());
    for (const DownloadRequest& song : songs)
        entries.append(
            SongEntry{song.title, song.url.isValid() ? QString::fromUtf8(song.url.toEncoded()) : QString()});
    return entries;
}

QByteArray songLines(const QList<SongEntry>& songs)
{
    QByteArray out;
    for (qsizetype i = 0; i < songs.size(); ++i)
        out += QByteArray::number(i + 1) + ". " + songs.at(i).title.toUtf8() + "  " +
               songs.at(i).link.toUtf8() + '\n';
    return out;
}

QByteArray songsJson(const QList<SongEntry>& songs)
{
    // Written by hand around Qt's string escaping so that "title" comes before "link".
    QByteArray out = "[";
    for (qsizetype i = 0; i < songs.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        out += "{\"title\": " + jsonString(songs.at(i).title) +
               ", \"link\": " + jsonString(songs.at(i).link) + '}';
    }
    out += songs.isEmpty() ? "]\n" : "\n]\n";
    return out;
}

} // namespace Qorvin::Cli
