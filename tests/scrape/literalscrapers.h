// SPDX-License-Identifier: MIT
// The scrapers written plainly, step for step: the working text is
// copied at every cut and the duplicate check scans the stored titles. The fast scrapers are
// measured and checked against these.
#pragma once

#include "scrape/scrapers.h"

namespace Qorvin::Literal {

void SearchResultScraper(CrawlState& state, const ScrapeEnv& env);
void TopicListScraper(CrawlState& state, const QString& topicCaption, const ScrapeEnv& env);
void TargetLinkLocator(CrawlState& state, const ScrapeEnv& env);
bool IsDuplicateSong(const CrawlState& state, const QString& name);

} // namespace Qorvin::Literal
