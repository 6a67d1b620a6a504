// SPDX-License-Identifier: MIT
// Reads result records and list items off a page by the markers the program's scrapers use,
// with plain text searches, so the pages are checked without the scrapers themselves.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace Qorvin::LocalService::Test {

inline const QString RecordMarker = QStringLiteral("来源网址：");

struct MarkedRecord
{
    QString link;  // from two characters after the marker up to ".mp3" and the one character after it
    QString title; // the text of the first "_blank>" anchor after the marker, up to "</A>"
};

inline qsizetype occurrences(QStringView text, QStringView marker)
{
    return text.count(marker);
}

// Each record as the search result scraper cuts it, "MP3" read as "mp3" as it does.
inline QList<MarkedRecord> markedRecords(QString page)
{
    page.replace(QStringLiteral("MP3"), QStringLiteral("mp3"));
    QList<MarkedRecord> records;
    qsizetype at = page.indexOf(RecordMarker);
    while (at >= 0) {
        const QStringView rest = QStringView(page).sliced(at + RecordMarker.size() + 2);
        MarkedRecord record;
        const qsizetype mp3 = rest.indexOf(u".mp3");
        record.link = rest.first(qMin(rest.size(), mp3 < 0 ? 4 : mp3 + 5)).toString();
        const qsizetype blank = rest.indexOf(u"_blank>");
        const QStringView afterAnchor = rest.sliced(blank < 0 ? 0 : blank + 7);
        const qsizetype close = afterAnchor.indexOf(u"</A>");
        record.title = afterAnchor.first(close < 0 ? 0 : close).toString();
        records.append(record);
        at = page.indexOf(RecordMarker, at + 1);
    }
    return records;
}

// The numbered names of a topic list page: after "帮助", after the heading, item n is the text
// of the first "_blank>" anchor after "n.".
inline QStringList numberedNames(const QString& page, const QString& heading)
{
    QStringList names;
    const qsizetype help = page.indexOf(u"帮助");
    if (help < 0)
        return names;
    qsizetype at = page.indexOf(heading, help);
    if (at < 0)
        return names;
    for (int n = 1;; ++n) {
        const qsizetype item = page.indexOf(QString::number(n) + u'.', at);
        if (item < 0)
            return names;
        const qsizetype blank = page.indexOf(u"_blank>", item);
        const qsizetype close = blank < 0 ? -1 : page.indexOf(u"</A>", blank);
        if (close < 0)
            return names;
        names.append(page.sliced(blank + 7, close - blank - 7));
        at = close;
    }
}

} // namespace Qorvin::LocalService::Test
