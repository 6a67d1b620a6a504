// SPDX-License-Identifier: MIT
#include "keywordquery.h"

#include "queryurl.h"

namespace Qorvin {

void BeginKeywordQuery(CrawlState& state, CrawlBrowser& browser, const QString& keyword)
{
    state.List1.clear();
    state.List2.clear();
    browser.Navigate(firstResultPageUrl(keyword));
    state.QueryUrl = keywordQueryUrl(keyword);
}

} // namespace Qorvin
