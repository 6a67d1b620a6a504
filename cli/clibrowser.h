// SPDX-License-Identifier: MIT
// The crawl's browser without an engine: each address is fetched, decoded by its charset and
// serialized the way the window's browser serializes its documents, so the scrapers read the
// same text.
#pragma once

#include "cli/pagefetcher.h"
#include "crawlstate/crawlbrowser.h"

#include <QObject>
#include <QString>
#include <QUrl>

namespace Qorvin::Cli {

class CliBrowser : public QObject, public CrawlBrowser
{
    Q_OBJECT

public:
    explicit CliBrowser(QObject* parent = nullptr);

    // Fetches url (given unescaped, encoded as the window's browser encodes it) and raises
    // pageLoaded when it is in. Three addresses are not fetched: the local result page (the
    // crawl has ended; any fetch still running is dropped), the page a topic crawl loads only
    // for its page-loaded event (raised at once, with no text), and an address that differs from
    // the page on hand only after its "#" (the same document: raised again with the same text).
    void Navigate(const QString& url) override;
    void setVisible(bool) override {}
    QString innerHtml() const override { return m_innerHtml; }

    // While held, a page asked for waits, so whoever handles the page on hand can still end the
    // crawl before the next request goes out; release() sends the latest one asked for.
    void hold() { m_held = true; }
    void release();

    // The latest page that could not be fetched, even after the retries.
    const FetchedPage& lastFailure() const { return m_lastFailure; }

signals:
    // A page is in (or given up on, with no text: nothing on it to scrape) and innerHtml holds it.
    void pageLoaded();
    // The page given up on could not reach the service at all.
    void serviceUnreachable();

private:
    void onFetched(const FetchedPage& page);
    void raisePageLoadedSoon();

    PageFetcher m_fetcher;
    QString m_innerHtml;
    QUrl m_documentUrl;
    QUrl m_pendingUrl;
    FetchedPage m_lastFailure;
    QUrl m_heldUrl;
    quint64 m_navigation = 0;
    bool m_held = false;
};

} // namespace Qorvin::Cli
