// SPDX-License-Identifier: MIT
#include "scrape/resultrecord.h"
#include "scrape/scrapers.h"
#include "scrape/scrapetext.h"

#include <limits>

namespace Qorvin {

using namespace ScrapeText;

namespace {

// FoundCount is 32-bit: an addition past its range fails instead of wrapping.
bool countFoundSong(CrawlState& state)
{
    if (state.FoundCount == std::numeric_limits<qint32>::max())
        return false;
    ++state.FoundCount;
    return true;
}

// "Reached" is FoundCount > WantedCount - 1; compared without the subtraction, so that the
// lowest possible WantedCount cannot overflow and keep the search from ever finishing.
bool wantedCountReached(const CrawlState& state)
{
    return state.FoundCount >= state.WantedCount;
}

} // namespace

void SearchResultScraper(CrawlState& state, const ScrapeEnv& env)
{
    ResultRecordReader reader;
    if (!reader.hasRecord(state.Text1))
        return;
    // Titles as well as links carry "mp3" from here on.
    state.Text1.replaceAll(UpperMp3, LowerMp3);

    // Every pump may stop the search, start another one or load another page: nothing read
    // from the state is kept across one, and a newer start ends this reading at once.
    for (;;) {
        if (!reader.hasRecord(state.Text1) || state.SearchDone == LegacyTrue)
            return;
        const auto record = reader.read(state.Text1);
        if (!record)
            return;
        const QString name = songNameOf(record->title, LeadingSeparator::GivesEmptyName);

        if (!isRefused(*record) && !IsDuplicateSong(state, name)) {
            if (!state.List1.append(record->title))
                return;
            state.List2.append(record->link);
            if (!countFoundSong(state))
                return;
            env.showStatus(progressStatus(SearchingStatus, state.FoundCount, name));
            if (!pumpKeepsCrawl(state, env))
                return;
            if (wantedCountReached(state)) {
                state.SearchDone = LegacyTrue;
                env.showStatus(SearchFinishedStatus.toString());
            }
        }
        if (!pumpKeepsCrawl(state, env))
            return;
    }
}

bool IsDuplicateSong(const CrawlState& state, const QString& name)
{
    return state.List1.anyStartsWith(name);
}

} // namespace Qorvin
