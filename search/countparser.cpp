// SPDX-License-Identifier: MIT
#include "search/countparser.h"

#include "base/trimspaces.h"

#include <algorithm>
#include <limits>

namespace Qorvin {

namespace {

// The number as sign, significant digits and a power of ten: value = digits * 10^exponent.
struct DecimalNumber
{
    bool negative = false;
    QString digits; // no leading zeros; empty for zero
    qint64 exponent = 0;
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Exponents beyond this cannot matter: 32-bit values have ten digits, and the text itself is
// far shorter than this many digits.
constexpr qint64 ExponentCap = qint64(1) << 40;

std::optional<DecimalNumber> parseDecimal(const QString& typed)
{
    const QStringView text = trimSpaces(typed);
    qsizetype pos = 0;
    const qsizetype end = text.size();

    DecimalNumber number;
    if (pos < end && (text.at(pos) == u'+' || text.at(pos) == u'-')) {
        number.negative = text.at(pos) == u'-';
        ++pos;
    }

    QString mantissa;
    qsizetype fractionDigits = 0;
    bool seenPoint = false;
    for (; pos < end; ++pos) {
        const QChar c = text.at(pos);
        if (isDigit(c)) {
            mantissa.append(c);
            if (seenPoint)
                ++fractionDigits;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (mantissa.isEmpty())
        return std::nullopt;

    qint64 exponent = 0;
    if (pos < end && (text.at(pos) == u'e' || text.at(pos) == u'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < end && (text.at(pos) == u'+' || text.at(pos) == u'-')) {
            negativeExponent = text.at(pos) == u'-';
            ++pos;
        }
        if (pos >= end || !isDigit(text.at(pos)))
            return std::nullopt;
        for (; pos < end && isDigit(text.at(pos)); ++pos)
            exponent = std::min(ExponentCap, exponent * 10 + (text.at(pos).unicode() - u'0'));
        if (negativeExponent)
            exponent = -exponent;
    }
    if (pos != end)
        return std::nullopt;

    qsizetype leadingZeros = 0;
    while (leadingZeros < mantissa.size() && mantissa.at(leadingZeros) == u'0')
        ++leadingZeros;
    number.digits = mantissa.mid(leadingZeros);
    number.exponent = exponent - fractionDigits;
    return number;
}

} // namespace

bool isNumericCount(const QString& text)
{
    return parseDecimal(text).has_value();
}

std::optional<qint32> parseWantedCount(const QString& text)
{
    const std::optional<DecimalNumber> number = parseDecimal(text);
    if (!number)
        return std::nullopt;
    if (number->digits.isEmpty())
        return 0;

    // Digits before the decimal point; with no leading zeros, more than ten is out of range.
    const qint64 integerDigits = number->digits.size() + number->exponent;
    if (integerDigits > 10)
        return std::nullopt;

    qint64 magnitude = 0;
    for (qint64 i = 0; i < integerDigits; ++i) {
        const qsizetype at = static_cast<qsizetype>(i);
        const int digit = at < number->digits.size() ? number->digits.at(at).unicode() - u'0' : 0;
        magnitude = magnitude * 10 + digit;
    }

    // The fraction decides the rounding: below, exactly at or above one half.
    const qsizetype fractionStart = static_cast<qsizetype>(std::max<qint64>(integerDigits, 0));
    if (integerDigits >= 0 && fractionStart < number->digits.size()) {
        const int firstFractionDigit = number->digits.at(fractionStart).unicode() - u'0';
        bool restIsZero = true;
        for (qsizetype i = fractionStart + 1; i < number->digits.size() && restIsZero; ++i)
            restIsZero = number->digits.at(i) == u'0';
        const bool aboveHalf = firstFractionDigit > 5 || (firstFractionDigit == 5 && !restIsZero);
        const bool exactlyHalf = firstFractionDigit == 5 && restIsZero;
        if (aboveHalf || (exactlyHalf && magnitude % 2 == 1))
            ++magnitude;
    }
    // A negative integerDigits means the value is below 0.1 and rounds to zero.

    const qint64 value = number->negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

} // namespace Qorvin
