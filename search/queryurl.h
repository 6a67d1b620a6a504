// SPDX-License-Identifier: MIT
// Every address the controller asks the browser for, built as the search service expects it.
#pragma once

#include <QString>

namespace Qorvin {

// "http://", the search host and the fixed query keys up to "word=". The keyword follows
// unescaped: the browser component encodes the string when it sends the request.
QString queryPrefix();

// The running keyword search's QueryUrl: the prefix, the keyword and "&pn=", to which the page
// offset is appended.
QString keywordQueryUrl(const QString& keyword);

// The first result page of a keyword: the prefix, the keyword and "&pn=0".
QString firstResultPageUrl(const QString& keyword);

// A further result page: QueryUrl and the offset in plain decimal digits.
QString resultPageUrl(const QString& queryUrl, qint16 pageOffset);

// The page a topic crawl loads between its list page and its first keyword, only to be told
// when it has loaded.
QString intermediatePageUrl();

} // namespace Qorvin
