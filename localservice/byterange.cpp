// SPDX-License-Identifier: MIT
#include "localservice/byterange.h"

#include <QByteArrayAlgorithms>

#include <optional>

namespace Qorvin::LocalService {

namespace {

// Decimal digits only (no sign, no blanks), at most 18 of them so that nothing overflows.
std::optional<qint64> numberOf(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

ByteRange byteRangeOf(QByteArrayView header, qint64 length)
{
    const QByteArrayView value = header.trimmed();
    constexpr QByteArrayView Unit = "bytes=";
    // The unit is a token, and tokens are case-insensitive.
    if (value.size() < Unit.size() || qstrnicmp(value.data(), Unit.data(), size_t(Unit.size())) != 0 ||
        value.contains(','))
        return {};
    if (length <= 0)
        return {ByteRange::Unsatisfiable};
    const QByteArrayView range = value.sliced(Unit.size()).trimmed();
    const qsizetype dash = range.indexOf('-');
    if (dash < 0)
        return {};
    const std::optional<qint64> first = numberOf(range.first(dash).trimmed());
    const QByteArrayView lastText = range.sliced(dash + 1).trimmed();
    const std::optional<qint64> last = numberOf(lastText);

    if (!first) {
        // "-n": the last n bytes.
        if (!range.first(dash).trimmed().isEmpty() || !last)
            return {};
        if (*last == 0)
            return {ByteRange::Unsatisfiable};
        return {ByteRange::Part, qMax<qint64>(0, length - *last), length - 1};
    }
    if (!lastText.isEmpty() && (!last || *last < *first))
        return {};
    if (*first >= length)
        return {ByteRange::Unsatisfiable};
    const qint64 end = last ? qMin(*last, length - 1) : length - 1;
    return {ByteRange::Part, *first, end};
}

} // namespace Qorvin::LocalService
