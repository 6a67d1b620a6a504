// SPDX-License-Identifier: MIT
// A song's title and address as a browser reads them from the result page's HTML.
#pragma once

#include "download/downloadrequest.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace Qorvin {

// One song link as the result page holds it: both strings are HTML, as they stand in the page.
struct SongLink
{
    QString titleHtml; // the anchor's content, e.g. "Rock &amp; Roll - A"
    QString hrefHtml;  // the anchor's href attribute, character references not yet decoded
};

// The title as the page shows it: tags removed, character references decoded, runs of white
// space made one blank, trimmed. "Rock &amp; Roll" gives "Rock & Roll".
QString plainTitle(const QString& titleHtml);

// The address an href attribute points to: character references decoded as in an attribute
// ("r&amp;b/a.mp3" gives "r&b/a.mp3"), surrounding blanks dropped, non-ASCII characters sent as
// UTF-8 percent escapes, a relative address resolved against base. Invalid when nothing usable is left.
QUrl songAddress(const QString& hrefHtml, const QUrl& base = {});

// The links decoded once, for the download queue and the playlists: each one's plain title and
// address, numbered from 1 in page order.
QList<DownloadRequest> downloadRequests(const QList<SongLink>& links);

} // namespace Qorvin
