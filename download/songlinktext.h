// SPDX-License-Identifier: MIT
// A song's title and address as a browser reads them from the result page's HTML.
#pragma once

#include <QString>
#include <QUrl>

namespace Qorvin {

// The title as the page shows it: tags removed, character references decoded, runs of white
// space made one blank, trimmed. "Rock &amp; Roll" gives "Rock & Roll".
QString plainTitle(const QString& titleHtml);

// The address an href attribute points to: character references decoded as in an attribute
// ("r&amp;b/a.mp3" gives "r&b/a.mp3"), surrounding blanks dropped, non-ASCII characters sent as
// UTF-8 percent escapes, a relative address resolved against base. Invalid when nothing usable is left.
QUrl songAddress(const QString& hrefHtml, const QUrl& base = {});

} // namespace Qorvin
