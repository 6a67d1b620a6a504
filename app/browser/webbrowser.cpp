// SPDX-License-Identifier: MIT
#include "app/browser/webbrowser.h"

#include "app/browser/browserpage.h"
#include "app/legacyhtml/legacyinnerhtml.h"
#include "search/navigationurl.h"

#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace Qorvin {

namespace {

// A load the engine gave up because another request replaced it, or that turned into a download.
constexpr int AbortedErrorCode = -3;

bool completesDocument(const QWebEngineLoadingInfo& info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        return true;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        // The engine's error page is a document too; the crawl reads it, finds nothing, goes on.
        return info.errorCode() != AbortedErrorCode;
    case QWebEngineLoadingInfo::LoadStartedStatus:
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        return false;
    }
    return false;
}

// The engine does not load the document again for a request that only moves to another fragment
// of the page on view, so it reports no load for it either. The very address on view is loaded
// again, and that load answers the request.
bool staysInDocument(const QUrl& target, const QUrl& current)
{
    return target.hasFragment() && !current.isEmpty() && target != current && sameDocument(target, current);
}

// Chromium lowers the CPU priority of a renderer whose pages are all out of sight. The crawl's
// pages load out of sight, behind the search panel, and on a busy machine every one of them would
// then take twice as long; the engine reads the flags once, when the first profile starts it.
void keepCoveredPagesAtFullPriority()
{
    static const bool requested = [] {
        constexpr char FlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
        constexpr char KeepPriority[] = "--disable-renderer-backgrounding";
        QByteArray flags = qgetenv(FlagsVariable);
        if (!flags.contains(KeepPriority))
            qputenv(FlagsVariable, flags.isEmpty() ? QByteArray(KeepPriority) : flags + ' ' + KeepPriority);
        return true;
    }();
    Q_UNUSED(requested);
}

} // namespace

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WebBrowser1"));
    keepCoveredPagesAtFullPriority();
    // Off the record: no disk cache, cookies or history outlive the program.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);

    m_view = new QWebEngineView(this);
    m_page = new BrowserPage(m_profile, m_view);
    m_view->setPage(m_page);
    // The engine's own menu (back, reload, view source) has no place here; whoever listens to
    // contextMenuRequested offers its own.
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        const QWebEngineContextMenuRequest* request = m_view->lastContextMenuRequest();
        emit contextMenuRequested(m_view->mapToGlobal(position), request ? request->linkUrl() : QUrl());
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebBrowser::onLoadingChanged);
    // The view shows its page whenever it is shown itself, the window's first show included;
    // a covered page goes straight back out of sight.
    connect(m_page, &QWebEnginePage::visibleChanged, this, [this](bool visible) {
        if (visible && m_covered)
            m_page->setVisible(false);
    });
}

WebBrowser::~WebBrowser()
{
    // The page must go before the profile it was made with.
    delete m_view;
}

void WebBrowser::setVisible(bool visible)
{
    QWidget::setVisible(visible);
}

void WebBrowser::setCovered(bool covered)
{
    m_covered = covered;
    applyPageVisibility();
}

void WebBrowser::applyPageVisibility()
{
    // Uncovered, the page is in sight exactly when the view is, as the view itself keeps it.
    const bool inSight = !m_covered && m_view->isVisible();
    if (m_page->isVisible() != inSight)
        m_page->setVisible(inSight);
}

void WebBrowser::setLinkOpener(UrlOpener openLink)
{
    m_page->setLinkOpener(std::move(openLink));
}

void WebBrowser::readPage(const QString& script, std::function<void(const QVariant& value)> done)
{
    QPointer<WebBrowser> self(this);
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [self, done = std::move(done)](const QVariant& value) {
                              if (self)
                                  done(value);
                          });
}

void WebBrowser::Navigate(const QString& url)
{
    const QUrl target = navigationUrl(url);
    const QUrl current = m_page->url();
    const NavigationTracker::Serial serial = m_tracker.begin(target);
    m_page->allowScriptFor(target);
    m_page->load(target);
    // The engine makes its page on the first load, in sight unless told otherwise.
    applyPageVisibility();
    if (staysInDocument(target, current)) {
        QTimer::singleShot(0, this, [this, serial] {
            if (m_tracker.isLatest(serial) && m_tracker.claimWithoutLoad())
                readDocument(serial);
        });
    }
}

void WebBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info)
{
    if (!completesDocument(info))
        return;
    if (const auto serial = m_tracker.claimFinishedLoad(info.url()))
        readDocument(*serial);
}

void WebBrowser::readDocument(NavigationTracker::Serial serial)
{
    // The isolated world answers even where page script is disabled (local pages) and cannot be
    // fooled by a page that redefines the DOM's properties.
    QPointer<WebBrowser> self(this);
    m_page->runJavaScript(
        QStringLiteral("document.documentElement ? document.documentElement.outerHTML : ''"),
        QWebEngineScript::ApplicationWorld, [self, serial](const QVariant& result) {
            if (!self || !self->m_tracker.isLatest(serial))
                return;
            self->m_innerHtml = legacyInnerHtml(result.toString());
            self->m_documentUrl = self->m_tracker.latestUrl();
            emit self->DocumentComplete();
        });
}

} // namespace Qorvin
