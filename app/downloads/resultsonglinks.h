// SPDX-License-Identifier: MIT
// The song links of the result page on view, read from the page itself.
#pragma once

#include "download/downloaditem.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariant>

namespace Qorvin {

// A script that lists the page's song links in document order: the first element of every title
// cell (a td of class d1) when it is an anchor with an href. The page's other links (the maker's
// site in the notice) stand in no such cell.
QString songLinksScript();

// The script's value as song links, each string as HTML as the page holds it; anything malformed
// is left out.
QList<SongLink> songLinksFromScriptValue(const QVariant& value);

// The first link that points to url, or -1. Addresses are compared as the browser resolved them,
// so an escaped and an unescaped spelling of the same address match.
qsizetype indexOfSongLink(const QList<SongLink>& links, const QUrl& url);

} // namespace Qorvin
