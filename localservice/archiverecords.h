// SPDX-License-Identifier: MIT
// Reading the Internet Archive's JSON answers into what the result pages show.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace Qorvin::LocalService {

// One item of a search answer.
struct ArchiveItem
{
    QString identifier;
    QString title;
    QString creator;
};

// One page of a search answer.
struct ArchiveSearchPage
{
    QList<ArchiveItem> items;
    qint64 found = 0; // numFound: every item the query matches
};

// One recording of an item, as a result record shows it.
struct ArchiveRecording
{
    QString title;   // "<title> - <creator>", or the title alone without a creator
    QString singer;  // the creator, maybe empty
    QString address; // where the MP3 is downloaded from, percent-encoded
};

// A field that arrives as a string, a number or a list of strings: its text (the first of a list),
// blanks and line breaks folded into single spaces.
QString archiveText(const QJsonValue& value);

// "3", "03" and "3/12" read as 3; anything else as nothing.
std::optional<int> archiveTrackNumber(const QString& track);

// The user's word as a Lucene term: its special characters escaped with "\".
QString luceneEscaped(const QString& word);

// The search answer's items, or nothing when it has not the search's shape.
std::optional<ArchiveSearchPage> archiveSearchPageOf(const QJsonObject& answer);

// The recordings of one item's metadata answer, one for each recording whatever number of MP3
// copies it has, in track order and then by file name. An answer without files (unknown or
// withdrawn items) has none.
QList<ArchiveRecording> archiveRecordingsOf(const QJsonObject& metadata, const ArchiveItem& item,
                                            const QUrl& archiveAddress);

// archiveAddress + "/download/{identifier}/{name}", every path segment percent-encoded, and any
// "mp3" before the final ".mp3" with its first letter percent-encoded as well.
QString archiveDownloadAddress(const QUrl& archiveAddress, const QString& identifier, const QString& name);

} // namespace Qorvin::LocalService
