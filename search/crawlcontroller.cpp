// SPDX-License-Identifier: MIT
#include "search/crawlcontroller.h"

#include "base/trimspaces.h"
#include "crawlstate/queryurl.h"
#include "resultpage/resultlocation.h"
#include "resultpage/resultpagewriter.h"
#include "scrape/scrapers.h"
#include "search/countparser.h"
#include "search/topictable.h"

namespace Qorvin {

using namespace Qt::StringLiterals;

namespace {

const QString PleaseWaitText = u"开始搜索,请等待..."_s;
const QString PreparingText = u"开始准备搜索,请保持网络通畅..."_s;
const QString FinishedText = u"本次搜索完成!"_s;
const QString SaveFailedText = u"保存搜索结果失败!"_s;
const QString TopicCrawlMarker = u"_blank"_s;

constexpr int EnterKey = 13;
constexpr int PageStep = 30;

} // namespace

CrawlController::CrawlController(CrawlWindow& window, CrawlBrowser& browser)
    : m_window(window), m_browser(browser)
{
}

void CrawlController::windowLoaded()
{
    m_state.SearchDone = LegacyTrue;
}

void CrawlController::startStopClicked()
{
    if (!isNumericCount(m_window.countText())) {
        m_window.focusCountBox();
        return;
    }
    if (trimSpaces(m_window.keywordText()).isEmpty()) {
        m_window.focusKeywordBox();
        return;
    }
    if (m_window.startStopCaption() == stopCaption()) {
        StopCrawl();
        return;
    }
    // Only a start needs the count as a 32-bit number: a number past that range refuses the start
    // like no number at all, and never keeps a running crawl from stopping.
    const std::optional<qint32> wantedCount = parseWantedCount(m_window.countText());
    if (!wantedCount) {
        m_window.focusCountBox();
        return;
    }
    startKeywordSearch(*wantedCount);
}

void CrawlController::keywordKeyPressed(int keyAscii)
{
    if (keyAscii == EnterKey)
        startStopClicked();
}

void CrawlController::startKeywordSearch(qint32 wantedCount)
{
    const quint64 serial = ++m_state.StartSerial;
    m_window.setSearchStatusCaption(PleaseWaitText);
    m_window.setStartStopCaption(stopCaption());
    m_state.WantedCount = wantedCount;
    m_state.FoundCount = 0;
    m_state.SearchDone = LegacyFalse;
    m_state.SearchMode = ModeKeyword;
    m_state.PageOffset = 0;
    showStatus(PreparingText);
    m_window.yield();
    // Stopped or replaced during the yield: the stop or the newer start has had its say.
    if (m_state.StartSerial != serial || m_state.SearchMode == ModeStopped)
        return;
    // The keyword is read after the yield: the box may have been edited meanwhile.
    BeginKeywordQuery(trimSpaces(m_window.keywordText()).toString());
    m_window.bringSearchPanelToFront();
}

void CrawlController::topicClicked(int index)
{
    const std::optional<TopicEntry> topic = topicEntry(index);
    if (!topic)
        return;
    // Checked before anything changes, as the keyword start does, so a bad count leaves the
    // running crawl and the menu as they are.
    const std::optional<qint32> wantedCount = parseWantedCount(m_window.countText());
    if (!wantedCount) {
        m_window.focusCountBox();
        return;
    }
    ++m_state.StartSerial;
    m_window.hideTopicMenu();
    m_state.List1.clear();
    m_state.List2.clear();
    m_state.List3.clear();
    m_state.TopicIndex = 0;
    m_state.SearchMode = ModeTopicList;
    m_state.SearchDone = LegacyFalse;
    m_state.QueryUrl = TopicCrawlMarker;
    m_state.WantedCount = *wantedCount;
    m_window.setKeywordText(trimSpaces(topic->caption).toString());
    m_window.setStartStopCaption(stopCaption());
    m_window.setSearchStatusCaption(PleaseWaitText);
    m_browser.Navigate(topicListUrl(*topic));
}

void CrawlController::BeginKeywordQuery(const QString& keyword)
{
    m_state.List1.clear();
    m_state.List2.clear();
    m_browser.Navigate(firstResultPageUrl(keyword));
    m_state.QueryUrl = keywordQueryUrl(keyword);
}

void CrawlController::PageLoadDispatcher()
{
    if (m_state.QueryUrl.isEmpty())
        return;
    const QString html = m_browser.innerHtml();
    const quint64 serial = m_state.StartSerial;
    m_window.yield();
    // The page belongs to the crawl that asked for it: a newer start waits for its own pages.
    if (m_state.StartSerial != serial)
        return;
    m_state.Text1.set(html);
    // The mode as it stands after the yield: a click during it may have stopped the crawl.
    switch (m_state.SearchMode) {
    case ModeKeyword:
        dispatchKeywordPage();
        break;
    case ModeTopicList:
        dispatchTopicListPage();
        break;
    case ModeTopicStart:
        dispatchTopicStartPage();
        break;
    case ModeTopicWalk:
        dispatchTopicWalkPage();
        break;
    default:
        break;
    }
}

void CrawlController::dispatchKeywordPage()
{
    const quint64 serial = m_state.StartSerial;
    SearchResultScraper(m_state, scrapeEnv());
    if (m_state.StartSerial != serial)
        return;
    if (m_state.SearchDone == LegacyTrue) {
        FinishCrawl();
        return;
    }
    m_window.yield();
    // Stopped or taken over during the yield: the next page is no longer this crawl's to ask for.
    if (m_state.StartSerial != serial || m_state.QueryUrl.isEmpty())
        return;
    const std::optional<qint16> nextOffset = checkedAdd16(m_state.PageOffset, PageStep);
    if (!nextOffset) {
        // The last page the offset can reach has been read: end with what was found rather
        // than ask for that page again and again.
        m_state.SearchDone = LegacyTrue;
        FinishCrawl();
        return;
    }
    m_state.PageOffset = *nextOffset;
    m_browser.Navigate(resultPageUrl(m_state.QueryUrl, m_state.PageOffset));
    m_window.yield();
}

void CrawlController::dispatchTopicListPage()
{
    const quint64 serial = m_state.StartSerial;
    TopicListScraper(m_state, m_window.keywordText(), scrapeEnv());
    if (m_state.StartSerial != serial || m_state.QueryUrl.isEmpty())
        return;
    m_state.SearchMode = ModeTopicStart;
    // Loaded only for its page-loaded event, which moves the crawl on to the first keyword.
    m_browser.Navigate(intermediatePageUrl());
}

void CrawlController::dispatchTopicStartPage()
{
    requestTopicKeyword();
    if (m_state.List3.isEmpty())
        m_state.SearchDone = LegacyTrue;
    m_state.SearchMode = ModeTopicWalk;
}

void CrawlController::dispatchTopicWalkPage()
{
    const quint64 serial = m_state.StartSerial;
    TargetLinkLocator(m_state, scrapeEnv());
    if (m_state.StartSerial != serial)
        return;
    if (m_state.SearchDone == LegacyTrue || m_state.TopicIndex >= m_state.List3.size()) {
        m_state.SearchDone = LegacyTrue;
        FinishCrawl();
        m_state.SearchMode = ModeKeyword;
        return;
    }
    requestTopicKeyword();
}

void CrawlController::requestTopicKeyword()
{
    // An entry that is not there (the empty list) reads as the empty text.
    const qsizetype index = m_state.TopicIndex;
    const QString keyword = index >= 0 && index < m_state.List3.size() ? m_state.List3.at(index) : QString();
    m_browser.Navigate(firstResultPageUrl(keyword));
    if (const std::optional<qint16> next = checkedAdd16(m_state.TopicIndex, 1))
        m_state.TopicIndex = *next;
}

void CrawlController::FinishCrawl()
{
    endWithResultPage(BrowserShown::BeforeRequest);
}

void CrawlController::StopCrawl()
{
    m_state.SearchDone = LegacyTrue;
    m_state.SearchMode = ModeStopped;
    endWithResultPage(BrowserShown::AfterRequest);
    m_window.setStartStopCaption(startCaption());
}

void CrawlController::endWithResultPage(BrowserShown shown)
{
    const ResultLocation location = currentResultLocation();
    const bool written = writeResultPage(location);
    if (written) {
        showStatus(FinishedText);
        if (shown == BrowserShown::BeforeRequest)
            m_browser.setVisible(true);
        m_browser.Navigate(location.pageUrl);
        if (shown == BrowserShown::AfterRequest)
            m_browser.setVisible(true);
    }
    m_state.QueryUrl.clear();
    if (written)
        m_window.setSearchPanelVisible(false);
}

ResultLocation CrawlController::currentResultLocation() const
{
    return m_resultFile.isEmpty() ? resultLocation(m_window.programFolder())
                                  : resultLocationOfFile(m_resultFile);
}

bool CrawlController::writeResultPage(const ResultLocation& location)
{
    const Outcome result =
        ResultPageWriter(location.filePath, m_window.keywordText(), m_state.List1.items(), m_state.List2);
    if (result.ok)
        return true;
    // Nothing was saved, so no result view: the search panel stays in front with the reason
    // and the start label, and the crawl ends all the same.
    showStatus(SaveFailedText + result.errorString);
    m_window.bringSearchPanelToFront();
    m_window.setSearchPanelVisible(true);
    m_window.setStartStopCaption(startCaption());
    return false;
}

void CrawlController::showStatus(const QString& text)
{
    m_window.setStatusPanelText(text);
    m_window.setSearchStatusCaption(m_window.statusPanelText());
}

ScrapeEnv CrawlController::scrapeEnv()
{
    return ScrapeEnv{[this](const QString& text) { showStatus(text); }, [this] { m_window.yield(); }};
}

} // namespace Qorvin
