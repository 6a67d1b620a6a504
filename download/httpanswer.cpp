// SPDX-License-Identifier: MIT
#include "download/httpanswer.h"

#include <QLocale>

namespace Qorvin {

namespace {

qint64 toNumber(QByteArrayView text, bool* ok)
{
    const QByteArray digits = text.trimmed().toByteArray();
    *ok = !digits.isEmpty() &&
          std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    return *ok ? digits.toLongLong(ok) : -1;
}

} // namespace

ContentRange parseContentRange(QByteArrayView value)
{
    const QByteArray text = value.trimmed().toByteArray();
    if (!text.toLower().startsWith("bytes "))
        return {};
    const QByteArray rangeText = text.mid(6).trimmed();
    const qsizetype slash = rangeText.indexOf('/');
    if (slash < 0)
        return {};
    ContentRange range;
    bool ok = true;
    const QByteArray total = rangeText.mid(slash + 1).trimmed();
    if (total != "*") {
        range.total = toNumber(total, &ok);
        if (!ok)
            return {};
    }
    const QByteArray span = rangeText.left(slash).trimmed();
    if (span == "*") {
        range.valid = range.total >= 0;
        return range;
    }
    const qsizetype dash = span.indexOf('-');
    if (dash < 0)
        return {};
    range.first = toNumber(span.left(dash), &ok);
    if (!ok)
        return {};
    range.last = toNumber(span.mid(dash + 1), &ok);
    if (!ok || range.last < range.first || (range.total >= 0 && range.last >= range.total))
        return {};
    range.valid = true;
    return range;
}

bool continuesPart(const PartRecord& record, qint64 offset, QByteArrayView etag, QByteArrayView lastModified,
                   QByteArrayView contentRange)
{
    const ContentRange range = parseContentRange(contentRange);
    if (!range.valid || range.first != offset)
        return false;
    if (record.expectedSize >= 0 && range.total != record.expectedSize)
        return false;
    if (!record.etag.isEmpty())
        return etag == record.etag;
    return record.lastModified.isEmpty() || lastModified == record.lastModified;
}

qint64 retryAfterMs(QByteArrayView value, const QDateTime& now)
{
    if (value.trimmed().isEmpty())
        return -1;
    bool ok = false;
    const qint64 seconds = toNumber(value, &ok);
    if (ok)
        return seconds * 1000;
    // The HTTP date in its one current form, "Wed, 21 Oct 2015 07:28:00 GMT".
    QDateTime date = QLocale::c().toDateTime(QString::fromLatin1(value.trimmed()),
                                             QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    date.setTimeSpec(Qt::UTC);
    if (!date.isValid())
        return -1;
    return std::max<qint64>(0, now.msecsTo(date));
}

bool looksLikeMp3(QByteArrayView head)
{
    if (head.size() >= 3 && head.first(3) == "ID3")
        return true;
    if (head.size() < 4)
        return false;
    const auto byte = [&](int i) { return static_cast<unsigned char>(head[i]); };
    if (byte(0) != 0xFF || (byte(1) & 0xE0) != 0xE0)
        return false;
    const int version = (byte(1) >> 3) & 0x3;    // 1 is reserved
    const int layer = (byte(1) >> 1) & 0x3;      // 0 is reserved
    const int bitRate = byte(2) >> 4;            // 15 is invalid
    const int sampleRate = (byte(2) >> 2) & 0x3; // 3 is reserved
    return version != 1 && layer != 0 && bitRate != 15 && sampleRate != 3;
}

} // namespace Qorvin
