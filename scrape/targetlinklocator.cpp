// SPDX-License-Identifier: MIT
#include "scrape/resultrecord.h"
#include "scrape/scrapers.h"
#include "scrape/scrapetext.h"

namespace Qorvin {

using namespace ScrapeText;

void TargetLinkLocator(CrawlState& state, const ScrapeEnv& env)
{
    ResultRecordReader reader;
    if (!reader.hasRecord(state.Text1))
        return;
    state.Text1.replaceAll(UpperMp3, LowerMp3);

    // One song per topic name: the first record that is neither refused nor already held.
    for (;;) {
        if (!reader.hasRecord(state.Text1) || state.SearchDone == LegacyTrue)
            return;
        const auto record = reader.read(state.Text1);
        if (!record)
            return;
        const QString name = songNameOf(record->title, LeadingSeparator::GivesWholeTitle);

        if (isRefused(*record) || IsDuplicateSong(state, name)) {
            if (!pumpKeepsCrawl(state, env))
                return;
            continue;
        }
        if (!state.List1.append(record->title))
            return;
        state.List2.append(record->link);
        env.showStatus(progressStatus(LocatingStatus, state.TopicIndex, record->link));
        env.pump();
        return;
    }
}

} // namespace Qorvin
