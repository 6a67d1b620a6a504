// SPDX-License-Identifier: MIT
// The wanted result count as the user types it into TextCount1.
#pragma once

#include <QString>

#include <optional>

namespace Qorvin {

// True when text is a number: spaces, an optional sign, digits with an optional decimal point
// (at least one digit), an optional exponent ("e" or "E", optional sign, digits), spaces.
bool isNumericCount(const QString& text);

// The count converted to a 32-bit integer, rounded to the nearest integer with halves going to
// the even neighbour ("2.5" gives 2, "3.5" gives 4). Rounding works on the decimal text itself,
// so no digit is lost to binary floating point. Empty when the text is not numeric or the
// rounded value lies outside the 32-bit range: both are refused alike.
std::optional<qint32> parseWantedCount(const QString& text);

} // namespace Qorvin
