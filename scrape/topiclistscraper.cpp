// SPDX-License-Identifier: MIT
#include "base/trimspaces.h"
#include "scrape/markerfinder.h"
#include "scrape/scrapers.h"
#include "scrape/scrapetext.h"
#include "scrape/textops.h"

namespace Qorvin {

using namespace ScrapeText;

namespace {

// The list follows the topic's heading, and the heading follows the help link; each cut also
// drops the one character that follows its marker.
bool cutToList(WorkingText& text, QStringView caption)
{
    const qsizetype helpAt = TextOps::find(text.view(), HelpMarker);
    if (!TextOps::keepLastOf(text, text.length() - helpAt - HelpMarker.size()))
        return false;
    const qsizetype captionAt = TextOps::find(text.view(), caption);
    return TextOps::keepLastOf(text, text.length() - captionAt - caption.size());
}

} // namespace

void TopicListScraper(CrawlState& state, const QString& topicCaption, const ScrapeEnv& env)
{
    if (!TextOps::contains(state.Text1.view(), topicCaption))
        return;
    if (!cutToList(state.Text1, topicCaption))
        return;

    MarkerFinder href(HrefMarker);
    MarkerFinder anchorEnd(AnchorEnd);
    MarkerFinder nameEnd(TitleEnd);
    qint16 itemNumber = 1;
    for (;;) {
        if (href.find(state.Text1) == 0 || state.SearchDone == LegacyTrue)
            return;
        // The item number only positions the reading: the cut keeps all of it but its first
        // character, and a missing number cuts nothing.
        const QString item = QString::number(itemNumber) + u'.';
        TextOps::keepLastOf(state.Text1, state.Text1.length() - TextOps::find(state.Text1.view(), item));

        const qsizetype anchorAt = anchorEnd.find(state.Text1);
        if (!TextOps::keepLastOf(state.Text1, state.Text1.length() - anchorAt - 6))
            return;
        const auto anchorText = TextOps::keepFirst(state.Text1.view(), nameEnd.find(state.Text1) - 1);
        if (!anchorText || state.List3.size() >= MaxListCount)
            return;
        const QString name = trimSpaces(*anchorText).toString();
        state.List3.append(name);

        env.showStatus(progressStatus(ListingStatus, itemNumber, name));
        if (!pumpKeepsCrawl(state, env))
            return;
        const auto next = checkedAdd16(itemNumber, 1);
        if (!next)
            return;
        itemNumber = *next;
        if (state.SearchDone == LegacyTrue) {
            state.SearchMode = ModeStopped;
            return;
        }
        if (itemNumber > state.WantedCount)
            return;
        if (!pumpKeepsCrawl(state, env))
            return;
    }
}

} // namespace Qorvin
