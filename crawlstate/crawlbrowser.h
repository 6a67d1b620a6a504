// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Qorvin {

// What the crawl controller needs of the embedded browser (WebBrowser1).
class CrawlBrowser
{
public:
    virtual ~CrawlBrowser() = default;

    // Starts loading url, given unescaped, and returns at once; the last request wins.
    virtual void Navigate(const QString& url) = 0;
    virtual void setVisible(bool visible) = 0;
    // The top-level document's documentElement.innerHTML, with anchors in the legacy marker
    // forms ("_blank>", "</A>"), as it stood when the latest page-loaded event was raised.
    virtual QString innerHtml() const = 0;
};

} // namespace Qorvin
