// SPDX-License-Identifier: MIT
// The engine page behind WebBrowser1, with what the program allows a page to do.
#pragma once

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

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

} // namespace Qorvin
