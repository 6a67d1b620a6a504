// SPDX-License-Identifier: MIT
#include "app/downloads/resultsonglinks.h"

#include "app/legacyhtml/songlinktext.h"

namespace Qorvin {

namespace {

// The same address however the browser or the page escaped it.
QString comparableAddress(const QUrl& url)
{
    const QUrl normal = url.adjusted(QUrl::NormalizePathSegments | QUrl::RemoveFragment);
    return normal.scheme() + u'|' + normal.authority() + u'|' + normal.path(QUrl::FullyDecoded) + u'|' +
           (normal.hasQuery() ? QStringLiteral("?") + normal.query(QUrl::FullyDecoded) : QString());
}

} // namespace

QString songLinksScript()
{
    // innerHTML serializes the title as HTML; the href attribute's value is already decoded, so
    // it is escaped again below to stand as it does in the page's markup.
    return QStringLiteral(R"((function () {
    var links = [];
    var cells = document.querySelectorAll('td.d1');
    for (var i = 0; i < cells.length; ++i) {
        var anchor = cells[i].firstElementChild;
        if (anchor && anchor.tagName === 'A' && anchor.hasAttribute('href'))
            links.push([anchor.innerHTML, anchor.getAttribute('href')]);
    }
    return links;
})())");
}

QList<DownloadRequest> songsFromScriptValue(const QVariant& value)
{
    QList<SongLink> links;
    const QVariantList rows = value.toList();
    links.reserve(rows.size());
    for (const QVariant& row : rows) {
        const QVariantList pair = row.toList();
        if (pair.size() != 2 || pair.at(0).typeId() != QMetaType::QString ||
            pair.at(1).typeId() != QMetaType::QString)
            continue;
        // The script hands over the attribute's value; the page's own spelling of it is HTML.
        links.append({pair.at(0).toString(), pair.at(1).toString().toHtmlEscaped()});
    }
    return downloadRequests(links);
}

qsizetype indexOfSong(const QList<DownloadRequest>& songs, const QUrl& url)
{
    if (!url.isValid())
        return -1;
    const QString wanted = comparableAddress(url);
    for (qsizetype i = 0; i < songs.size(); ++i) {
        if (songs.at(i).url.isValid() && comparableAddress(songs.at(i).url) == wanted)
            return i;
    }
    return -1;
}

} // namespace Qorvin
