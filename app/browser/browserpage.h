// SPDX-License-Identifier: MIT
// The engine page behind WebBrowser1, with what the program allows a page to do.
#pragma once

#include "app/browser/urlopener.h"

#include <QWebEnginePage>

namespace Qorvin {

class BrowserPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit BrowserPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // Only pages of the web run script. Local pages (result.htm above all, whose titles come from
    // the network) run none, and reach neither other local files nor remote URLs.
    void allowScriptFor(const QUrl& url);

    // A song link the user follows from a local page goes to the user's own web browser, where
    // a download manager can take it; the result view stays. Tests pass a fake.
    void setLinkOpener(UrlOpener openLink) { m_openLink = std::move(openLink); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    UrlOpener m_openLink = openInDefaultBrowser;
};

} // namespace Qorvin
