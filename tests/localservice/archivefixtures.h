// SPDX-License-Identifier: MIT
// Items of the Internet Archive in the shapes its answers have, for the fake archive.
#pragma once

#include "localservice/gbkcodec.h"
#include "tests/localservice/fakearchive.h"
#include "tests/localservice/httpexchange.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

namespace Qorvin::LocalService::Test {

// An album of `tracks` MP3 originals by "Band", track i titled "<prefix> i".
inline QJsonObject archiveAlbum(const QString& identifier, const QString& prefix, int tracks)
{
    QJsonArray files;
    for (int i = 1; i <= tracks; ++i) {
        files.append(
            QJsonObject{{QStringLiteral("name"), QStringLiteral("%1.mp3").arg(i, 2, 10, QLatin1Char('0'))},
                        {QStringLiteral("format"), QStringLiteral("VBR MP3")},
                        {QStringLiteral("source"), QStringLiteral("original")},
                        {QStringLiteral("title"), prefix + u' ' + QString::number(i)},
                        {QStringLiteral("track"), QString::number(i)}});
    }
    return {{QStringLiteral("metadata"), QJsonObject{{QStringLiteral("identifier"), identifier},
                                                     {QStringLiteral("title"), prefix},
                                                     {QStringLiteral("creator"), QStringLiteral("Band")}}},
            {QStringLiteral("files"), files}};
}

inline QJsonObject archiveDoc(const QString& identifier)
{
    return {{QStringLiteral("identifier"), identifier}};
}

// The search request of the result page: word in GBK, offset pn.
inline QByteArray searchRequest(const QString& word, int offset)
{
    return "GET /m?tn=baidump3&ct=134217728&word=" +
           encodeGbk(word).value_or(QByteArray()).toPercentEncoding() + "&pn=" + QByteArray::number(offset) +
           " HTTP/1.1\r\nHost: mp3.baidu.com\r\n\r\n";
}

struct ShownRecord
{
    QString address;
    QString title; // character references resolved
};

// The records of a result page as its markers show them.
inline QList<ShownRecord> shownRecords(const QByteArray& gbkPage)
{
    static const QRegularExpression record(
        QStringLiteral("来源网址：　　(\\S+) </td><td><A href=\"[^\"]*\" target=_blank>([^<]*)</A>"));
    static const QRegularExpression reference(QStringLiteral("&#(\\d+);"));
    QList<ShownRecord> records;
    const QString page = decodeGbk(gbkPage).value_or(QString());
    for (auto it = record.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString title = match.captured(2);
        for (QRegularExpressionMatch ref = reference.match(title); ref.hasMatch();
             ref = reference.match(title)) {
            const char32_t code = ref.captured(1).toUInt();
            title.replace(ref.capturedStart(), ref.capturedLength(), QString::fromUcs4(&code, 1));
        }
        title.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        records.append({match.captured(1), title});
    }
    return records;
}

inline QStringList titlesOf(const QList<ShownRecord>& records)
{
    QStringList titles;
    for (const ShownRecord& record : records)
        titles.append(record.title);
    return titles;
}

} // namespace Qorvin::LocalService::Test
