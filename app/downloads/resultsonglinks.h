// SPDX-License-Identifier: MIT
// The song links of the result page on view, read from the page itself.
#pragma once

#include "download/downloadrequest.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariant>

namespace Qorvin {

// A script that lists the page's song links in document order: the first element of every title
// cell (a td of class d1) when it is an anchor with an href. The page's other links (the maker's
// site in the notice) stand in no such cell.
QString songLinksScript();

// The script's value as the songs to download, each title and address decoded here, once;
// anything malformed is left out.
QList<DownloadRequest> songsFromScriptValue(const QVariant& value);

// The first song whose address is url, or -1. Addresses are compared as the browser resolved
// them, so an escaped and an unescaped spelling of the same address match.
qsizetype indexOfSong(const QList<DownloadRequest>& songs, const QUrl& url);

} // namespace Qorvin
