// SPDX-License-Identifier: MIT
#include "localservice/searchquery.h"

#include "localservice/gbkcodec.h"

#include <QByteArray>

#include <limits>
#include <optional>

namespace Qorvin::LocalService {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArray percentDecoded(QByteArrayView encoded)
{
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '+') {
            bytes.append(' ');
        } else if (c == '%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
                   hexValue(encoded[i + 2]) >= 0) {
            bytes.append(char(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2])));
            i += 2;
        } else {
            bytes.append(c);
        }
    }
    return bytes;
}

int offsetOf(QByteArrayView digits)
{
    qint64 value = 0;
    if (digits.isEmpty())
        return 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        value = qMin<qint64>(value * 10 + (c - '0'), std::numeric_limits<int>::max());
    }
    return int(value);
}

} // namespace

SearchQuery parseSearchQuery(QByteArrayView rawQuery)
{
    std::optional<QByteArrayView> word;
    std::optional<QByteArrayView> offset;
    bool utf8 = false;
    for (qsizetype start = 0; start <= rawQuery.size();) {
        qsizetype end = rawQuery.indexOf('&', start);
        if (end < 0)
            end = rawQuery.size();
        const QByteArrayView pair = rawQuery.sliced(start, end - start);
        start = end + 1;
        const qsizetype equals = pair.indexOf('=');
        const QByteArrayView key = equals < 0 ? pair : pair.first(equals);
        const QByteArrayView value = equals < 0 ? QByteArrayView() : pair.sliced(equals + 1);
        if (key == "word" && !word)
            word = value;
        else if (key == "pn" && !offset)
            offset = value;
        else if (key == "ie")
            utf8 = value.compare("utf-8", Qt::CaseInsensitive) == 0 ||
                   value.compare("utf8", Qt::CaseInsensitive) == 0;
    }

    SearchQuery query;
    query.offset = offset ? offsetOf(*offset) : 0;
    const QByteArray bytes = percentDecoded(word.value_or(QByteArrayView()));
    const std::optional<QString> text = utf8 ? decodeUtf8(bytes) : decodeGbk(bytes);
    if (!text)
        query.error =
            utf8 ? QStringLiteral("关键词不是有效的UTF-8编码") : QStringLiteral("关键词不是有效的GBK编码");
    else if (text->size() > MaxWordLength)
        query.error = QStringLiteral("关键词太长");
    else
        query.word = *text;
    return query;
}

} // namespace Qorvin::LocalService
