// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

namespace Qorvin::LocalService {

// What the search host reads from a query string such as "...&tn=baidump3&word=%CB%D5%E9%F8&pn=0".
struct SearchQuery
{
    QString word;   // decoded, blanks kept as sent
    int offset = 0; // pn: a missing, negative or unreadable offset reads as 0
    QString error;  // why the query was refused (the page answers 400); empty when it was read

    bool isValid() const { return error.isEmpty(); }
};

// Longer words are refused: no song name comes near it, and a page must stay small.
inline constexpr qsizetype MaxWordLength = 256;

// rawQuery: the part after '?', still percent-encoded. "&" separates keys, so a keyword holding
// "&" arrives cut in two; "+" and "%20" are both blanks. The word is GBK unless ie=utf-8.
// A "%" not followed by two hex digits stays as it is.
SearchQuery parseSearchQuery(QByteArrayView rawQuery);

} // namespace Qorvin::LocalService
