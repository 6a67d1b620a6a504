// SPDX-License-Identifier: MIT
#include "app/browser/browserpage.h"

#include "app/browser/navigationtracker.h"
#include "search/navigationurl.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

namespace Qorvin {

namespace {

bool opensInDefaultBrowser(const QUrl& url)
{
    const QString scheme = url.scheme();
    return scheme == QStringLiteral("http") || scheme == QStringLiteral("https") ||
           scheme == QStringLiteral("ftp");
}

} // namespace

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    QWebEngineSettings* pageSettings = settings();
    pageSettings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    pageSettings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    pageSettings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // Nothing shows a page's icon; asking the service for one is a request for nothing.
    pageSettings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);

    // There are no other windows: a link meant for a new one goes to the user's own browser.
    // Other schemes (file:, javascript:) a page could slip in are never handed on.
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated() && opensInDefaultBrowser(request.requestedUrl()))
            m_openLink(request.requestedUrl().toString(QUrl::FullyEncoded));
    });
}

void BrowserPage::allowScriptFor(const QUrl& url)
{
    const QString scheme = url.scheme();
    const bool allowed = scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
    // Every change is sent to the page's renderer, so only a real change is made.
    if (settings()->testAttribute(QWebEngineSettings::JavascriptEnabled) != allowed)
        settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, allowed);
}

bool BrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && type == NavigationTypeLinkClicked && this->url().isLocalFile() &&
        !sameDocument(url, this->url())) {
        if (opensInDefaultBrowser(url))
            m_openLink(url.toString(QUrl::FullyEncoded));
        return false;
    }
    if (isMainFrame)
        allowScriptFor(url);
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

} // namespace Qorvin
