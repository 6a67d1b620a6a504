// SPDX-License-Identifier: MIT
// Reading the parts of an HTTP answer that decide how a download goes on.
#pragma once

#include "download/partrecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

namespace Qorvin {

struct ContentRange
{
    bool valid = false;
    qint64 first = -1; // -1 in "bytes */total"
    qint64 last = -1;
    qint64 total = -1; // -1 when the server wrote "*"
};

// "bytes 100-199/1000", "bytes */1000"; the unit is case-insensitive.
ContentRange parseContentRange(QByteArrayView value);

// True when a 206 answer continues the part file its record describes: the same ETag as recorded
// (the same Last-Modified when none was), and a range that starts at offset, where the part file
// ends, and whose total is the recorded size. A server that ignores If-Range may send a range of
// a file that changed meanwhile; appended, it would make a song of two files.
bool continuesPart(const PartRecord& record, qint64 offset, QByteArrayView etag, QByteArrayView lastModified,
                   QByteArrayView contentRange);

// Retry-After as delta seconds or an HTTP date, in milliseconds from now; -1 when absent or unreadable.
qint64 retryAfterMs(QByteArrayView value, const QDateTime& now);

// True when the bytes start with an ID3v2 tag or an MPEG audio frame sync (11 set bits followed by
// a valid version, layer, bit-rate and sample-rate).
bool looksLikeMp3(QByteArrayView head);

} // namespace Qorvin
