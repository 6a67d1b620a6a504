// SPDX-License-Identifier: MIT
#include "songoutput.h"

#include "songtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace Qorvin::Cli {

namespace {

// One JSON string, escaped by Qt's writer.
QByteArray jsonString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // without the brackets around it
}

} // namespace

QList<SongEntry> songEntries(const QStringList& titles, const QStringList& links)
{
    QList<SongEntry> songs;
    const qsizetype count = std::min(titles.size(), links.size());
    songs.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        songs.append(SongEntry{songTitleText(titles.at(i)), songLinkAddress(links.at(i))});
    return songs;
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

QString writePlaylist(const QString& filePath, const QList<SongEntry>& songs)
{
    QByteArray out = "#EXTM3U\n";
    for (const SongEntry& song : songs)
        out += "#EXTINF:-1," + song.title.toUtf8() + '\n' + song.link.toUtf8() + '\n';
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace Qorvin::Cli
