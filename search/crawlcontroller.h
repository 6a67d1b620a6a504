// SPDX-License-Identifier: MIT
// The crawl's handlers: the start/stop label and Enter, the topic labels, the page-load
// dispatcher and the two ends of a crawl. It owns the crawl state and reaches the outside only
// through the window and the browser.
#pragma once

#include "crawlstate/crawlbrowser.h"
#include "crawlstate/crawlstate.h"
#include "crawlstate/crawlwindow.h"

#include <QString>

namespace Qorvin {

struct ScrapeEnv;
struct ResultLocation;

class CrawlController
{
public:
    CrawlController(CrawlWindow& window, CrawlBrowser& browser);

    CrawlController(const CrawlController&) = delete;
    CrawlController& operator=(const CrawlController&) = delete;

    void windowLoaded();
    void startStopClicked();              // Label6
    void keywordKeyPressed(int keyAscii); // TextSearch1; the key is not consumed
    void topicClicked(int index);         // LabelTitle(index)
    void PageLoadDispatcher();            // the browser's page-loaded event
    void StopCrawl();
    void FinishCrawl();
    // Opens a keyword search: empties List1 and List2, asks for the first result page, then sets
    // QueryUrl. The caller has set the counters and the mode before.
    void BeginKeywordQuery(const QString& keyword);

    // Where the result page is written instead of result.htm in the program's folder; the empty
    // text goes back to the folder. A program without a window lets its user choose the file.
    void setResultFile(const QString& filePath) { m_resultFile = filePath; }

    const CrawlState& state() const { return m_state; }
    CrawlState& state() { return m_state; }

private:
    void startKeywordSearch(qint32 wantedCount);
    void dispatchKeywordPage();
    void dispatchTopicListPage();
    void dispatchTopicStartPage();
    void dispatchTopicWalkPage();
    void requestTopicKeyword();

    // The end a finished and a stopped crawl share: result.htm written and requested, the crawl's
    // address emptied (page loads are ignored from then on), the search panel hidden when there
    // is a page to see. The crawl's own end shows the browser before it requests the page, a
    // stop the other way round.
    enum class BrowserShown
    {
        BeforeRequest,
        AfterRequest,
    };
    void endWithResultPage(BrowserShown shown);

    // Writes result.htm; on failure shows why and brings the search panel back instead of
    // the result view. Returns whether the page was written.
    bool writeResultPage(const ResultLocation& location);
    ResultLocation currentResultLocation() const;
    void showStatus(const QString& text);
    ScrapeEnv scrapeEnv();

    CrawlWindow& m_window;
    CrawlBrowser& m_browser;
    CrawlState m_state;
    QString m_resultFile;
};

} // namespace Qorvin
