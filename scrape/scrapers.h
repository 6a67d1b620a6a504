// SPDX-License-Identifier: MIT
// The three page scrapers and the duplicate check. They read and write only the crawl state,
// show their progress through a status sink and yield through a pump after every record.
#pragma once

#include "crawlstate/crawlstate.h"

#include <QString>

#include <functional>

namespace Qorvin {

struct ScrapeEnv
{
    // Sets panel 1 of the status bar, then copies the panel's text into the status line.
    std::function<void(const QString&)> showStatus;
    // Processes the window's pending events once. Anything may run here (a stop, a new start,
    // a nested page load), so the scrapers read the crawl state afresh after every pump.
    std::function<void()> pump;
};

// Pumps once; false when a newer start took the crawl over meanwhile, so that the caller, which
// belongs to the older crawl, leaves the state alone from then on.
inline bool pumpKeepsCrawl(const CrawlState& state, const ScrapeEnv& env)
{
    const quint64 serial = state.StartSerial;
    env.pump();
    return state.StartSerial == serial;
}

// Cuts (title, link) pairs out of a keyword result page in Text1 into List1/List2, counts them
// in FoundCount and raises SearchDone once WantedCount is reached.
void SearchResultScraper(CrawlState& state, const ScrapeEnv& env);

// Takes the numbered song names of a topic list page in Text1 into List3, at most WantedCount
// of them; topicCaption is the heading the list follows (the text of the keyword box).
void TopicListScraper(CrawlState& state, const QString& topicCaption, const ScrapeEnv& env);

// Takes the first acceptable (title, link) pair of one topic song's result page into List1/List2.
void TargetLinkLocator(CrawlState& state, const ScrapeEnv& env);

// True when some stored title begins with name (an empty name matches any stored title).
bool IsDuplicateSong(const CrawlState& state, const QString& name);

} // namespace Qorvin
