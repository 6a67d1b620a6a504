// SPDX-License-Identifier: MIT
// Turns the unescaped address the crawl hands the browser into the request the search service
// expects: the query in GBK percent-escapes, as the service's own pages send it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace Qorvin {

// The address as it goes on the wire, before QUrl sees it:
// - scheme, host and path: a backslash becomes "/" (a Windows-style "file:///C:\dir\result.htm"
//   names the same file, and so does "file:///" put before a folder that begins with "/"), a blank "%20",
//   other characters outside ASCII UTF-8 escapes, and an escape already present is kept;
// - query: characters outside ASCII as GBK escapes (one the GBK code page lacks as "%3F", a "?",
//   which is what the service reads for it), a blank "%20", "%" as "%25" so the service reads
//   the keyword as typed, "&" "=" "+" kept so they keep their meaning to the service;
// - everything from the first "#" on is the fragment: kept, and never sent.
QByteArray encodedNavigationAddress(const QString& address);

QUrl navigationUrl(const QString& address);

// Two addresses name the same document: the fragment and "." or ".." segments do not count.
bool sameDocument(const QUrl& a, const QUrl& b);

} // namespace Qorvin
