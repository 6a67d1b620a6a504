// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>

namespace Qorvin::LocalService {

// What a Range header asks of a file of a given length.
struct ByteRange
{
    enum Kind
    {
        Whole,         // no header, or one this service does not serve (several ranges, other units,
                       // bad syntax): answer 200 with the whole file, as HTTP allows
        Part,          // answer 206 with bytes first..last (inclusive)
        Unsatisfiable, // answer 416: the range starts past the end
    };
    Kind kind = Whole;
    qint64 first = 0;
    qint64 last = -1;

    qint64 size() const { return last - first + 1; }
};

// header: the value of the Range header ("bytes=0-99", "bytes=100-", "bytes=-500"), maybe empty.
ByteRange byteRangeOf(QByteArrayView header, qint64 length);

} // namespace Qorvin::LocalService
