// SPDX-License-Identifier: MIT
// WebBrowser1: the program's only way to the network and the view of the result page.
#pragma once

#include "app/browser/navigationtracker.h"
#include "app/browser/urlopener.h"
#include "crawlstate/crawlbrowser.h"

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <functional>

class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace Qorvin {

class BrowserPage;

class WebBrowser : public QWidget, public CrawlBrowser
{
    Q_OBJECT

public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Starts loading url, given unescaped (navigationurl.h encodes it), and returns at once. A request
    // made while another loads replaces it; the replaced one raises no DocumentComplete.
    void Navigate(const QString& url) override;

    // The top-level document's legacy innerHTML as it stood when DocumentComplete was raised.
    QString innerHtml() const override { return m_innerHtml; }

    void setVisible(bool visible) override;

    // While the search panel lies over the view, the engine is told its page is out of sight and
    // draws none of the pages a crawl goes through; loading and reading them go on as before.
    void setCovered(bool covered);

    // Where a link the user follows from the result page is opened: the user's default browser
    // unless a test says otherwise.
    void setLinkOpener(UrlOpener openLink);

    // Runs script in the page on view, in a world of its own that the page's script cannot reach
    // (local pages run none of theirs), and hands its value to done, unless the browser is gone.
    void readPage(const QString& script, std::function<void(const QVariant& value)> done);

    // The address of the request whose document innerHtml holds.
    QUrl documentUrl() const { return m_documentUrl; }

signals:
    // Once per completed top-level document of the latest request, its error page included.
    void DocumentComplete();
    // A right-click on the page: where it was on the screen, and the link under it (empty if none).
    void contextMenuRequested(const QPoint& globalPos, const QUrl& linkUrl);

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void readDocument(NavigationTracker::Serial serial);
    void applyPageVisibility();

    QWebEngineProfile* m_profile = nullptr;
    QWebEngineView* m_view = nullptr;
    BrowserPage* m_page = nullptr;
    NavigationTracker m_tracker;
    QString m_innerHtml;
    QUrl m_documentUrl;
    bool m_covered = false;
};

} // namespace Qorvin
