// SPDX-License-Identifier: MIT
#pragma once

#include "crawlbrowser.h"
#include "crawlstate.h"

namespace Qorvin {

// Opens a keyword search: empties List1 and List2, asks for the first result page, then sets
// QueryUrl. The caller has set the counters and the mode before.
void BeginKeywordQuery(CrawlState& state, CrawlBrowser& browser, const QString& keyword);

} // namespace Qorvin
