// SPDX-License-Identifier: MIT
#include "cli/clibrowser.h"

#include "app/legacyhtml/legacyinnerhtml.h"
#include "cli/pagedecoding.h"
#include "crawlstate/queryurl.h"
#include "search/navigationurl.h"

#include <QTimer>

namespace Qorvin::Cli {

CliBrowser::CliBrowser(QObject* parent) : QObject(parent), m_fetcher(this)
{
    connect(&m_fetcher, &PageFetcher::finished, this, &CliBrowser::onFetched);
}

void CliBrowser::Navigate(const QString& url)
{
    const QUrl target = navigationUrl(url);
    ++m_navigation; // the last request wins: whatever an earlier one was to raise is dropped
    m_fetcher.cancel();
    m_heldUrl.clear();
    if (target.isLocalFile())
        return;
    if (url == intermediatePageUrl()) {
        m_innerHtml.clear();
        m_documentUrl = target;
        raisePageLoadedSoon();
        return;
    }
    if (target.hasFragment() && !m_documentUrl.isEmpty() && target != m_documentUrl &&
        sameDocument(target, m_documentUrl)) {
        m_documentUrl = target;
        raisePageLoadedSoon();
        return;
    }
    if (m_held) {
        m_heldUrl = target;
        return;
    }
    m_pendingUrl = target;
    m_fetcher.fetch(target);
}

void CliBrowser::release()
{
    m_held = false;
    if (m_heldUrl.isEmpty())
        return;
    m_pendingUrl = m_heldUrl;
    m_heldUrl.clear();
    m_fetcher.fetch(m_pendingUrl);
}

void CliBrowser::raisePageLoadedSoon()
{
    // Never from inside Navigate: the dispatcher that asked has not returned yet.
    QTimer::singleShot(0, this, [this, navigation = m_navigation] {
        if (navigation == m_navigation)
            emit pageLoaded();
    });
}

void CliBrowser::onFetched(const FetchedPage& page)
{
    m_documentUrl = m_pendingUrl;
    if (page.ok) {
        m_innerHtml = legacyInnerHtml(decodePage(page.body, page.contentType));
    } else {
        // Given up on: like the window's error page, a page with nothing on it to scrape.
        m_innerHtml.clear();
        m_lastFailure = page;
        if (page.unreachable) {
            emit serviceUnreachable();
            return;
        }
    }
    emit pageLoaded();
}

} // namespace Qorvin::Cli
