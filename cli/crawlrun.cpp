// SPDX-License-Identifier: MIT
#include "cli/crawlrun.h"

#include "cli/clioptions.h"
#include "cli/pipelinewarmup.h"

#include <QDir>
#include <QTimer>

namespace Qorvin::Cli {

using namespace Qt::StringLiterals;

CrawlRun::CrawlRun(CrawlSettings settings, ProgressLine& progress, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_progress(progress),
      m_window(m_settings.countText, {}), m_browser(this), m_controller(m_window, m_browser)
{
    m_controller.setResultFile(m_settings.resultFile);
    m_controller.windowLoaded();
    connect(&m_browser, &CliBrowser::pageLoaded, this, &CrawlRun::onPageLoaded);
    connect(&m_browser, &CliBrowser::serviceUnreachable, this, &CrawlRun::onServiceUnreachable);
}

CrawlOutcome CrawlRun::search(const QString& keyword)
{
    return run([this, keyword] {
        m_window.setKeywordText(keyword);
        m_controller.startStopClicked();
    });
}

CrawlOutcome CrawlRun::topic(int topicIndex)
{
    return run([this, topicIndex] { m_controller.topicClicked(topicIndex); });
}

CrawlOutcome CrawlRun::run(const std::function<void()>& start)
{
    start();
    switch (m_window.refusal()) {
    case CliWindow::Refusal::Count:
        m_outcome.exitCode = ExitUsage;
        m_outcome.message = u"结果数 “"_s + m_settings.countText + u"” 无效。"_s;
        return m_outcome;
    case CliWindow::Refusal::Keyword:
        m_outcome.exitCode = ExitUsage;
        m_outcome.message = u"关键词不能为空。"_s;
        return m_outcome;
    case CliWindow::Refusal::None:
        break;
    }
    m_progress.show(u"开始搜索,请等待..."_s);
    // A Ctrl-C during the start's yield came before the start had anything to stop.
    if (m_interrupted && crawlRunning())
        m_controller.StopCrawl();
    if (!crawlRunning()) {
        end();
        return m_outcome;
    }
    if (!m_ended) {
        // Queued behind the first request's start, so it runs while that page is on its way.
        QTimer::singleShot(0, this, [] { warmUpPagePipeline(); });
        m_loop.exec();
    }
    return m_outcome;
}

void CrawlRun::interrupt()
{
    if (m_ended || m_interrupted)
        return;
    m_interrupted = true;
    if (!crawlRunning())
        return; // still starting: run() stops the crawl once the start has returned
    m_controller.StopCrawl();
    // Inside a page's handling the dispatcher finishes first and the run ends after it.
    if (!m_dispatching)
        end();
}

void CrawlRun::onPageLoaded()
{
    if (m_ended)
        return;
    // A page that comes in while the dispatcher yields is handled once it has returned, so the
    // dispatcher never runs inside itself.
    if (m_dispatching) {
        m_loadWaiting = true;
        return;
    }
    do {
        m_loadWaiting = false;
        const qint16 modeBefore = m_controller.state().SearchMode;
        const qsizetype songsBefore = m_controller.state().List1.count();
        m_dispatching = true;
        m_browser.hold();
        m_controller.PageLoadDispatcher();
        m_dispatching = false;
        afterPage(modeBefore, songsBefore);
        m_browser.release();
    } while (m_loadWaiting && !m_ended);
}

void CrawlRun::afterPage(qint16 modeBefore, qsizetype songsBefore)
{
    const CrawlState& state = m_controller.state();
    const qsizetype found = state.List1.count();
    switch (modeBefore) {
    case ModeKeyword:
        ++m_pagesRead;
        m_progress.show(u"第%1页 · 已找到 %2/%3"_s.arg(m_pagesRead).arg(found).arg(state.WantedCount));
        m_emptyPagesInRow = found > songsBefore ? 0 : m_emptyPagesInRow + 1;
        break;
    case ModeTopicList:
        m_progress.show(u"专题列表有 %1 首歌"_s.arg(state.List3.size()));
        break;
    case ModeTopicWalk:
        ++m_pagesRead;
        m_progress.show(u"第%1首 · 已找到 %2/%3"_s.arg(m_pagesRead).arg(found).arg(state.List3.size()));
        break;
    default:
        break;
    }
    if (crawlRunning() && modeBefore == ModeKeyword && m_settings.maxEmptyPages > 0 &&
        m_emptyPagesInRow >= m_settings.maxEmptyPages) {
        // Nobody is there to press stop when the results have run out; the next page, held
        // back until now, is never asked for.
        m_controller.StopCrawl();
    }
    if (!crawlRunning())
        end();
}

void CrawlRun::onServiceUnreachable()
{
    if (m_ended || m_unreachable)
        return;
    m_unreachable = true;
    const qsizetype found = m_controller.state().List1.count();
    m_outcome.message =
        u"无法连接搜索服务（"_s + m_browser.lastFailure().errorString + u"），请检查网络和 http_proxy。"_s;
    // Songs already found are kept; with none, an earlier result page is not replaced by an
    // empty one.
    if (found > 0)
        m_controller.StopCrawl();
    end();
}

void CrawlRun::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_progress.finish();
    const CrawlState& state = m_controller.state();
    m_outcome.titles = state.List1.items();
    m_outcome.links = state.List2;
    m_outcome.resultWritten = m_window.resultWritten();
    if (m_unreachable) {
        m_outcome.exitCode = ExitFailure;
    } else if (!m_outcome.resultWritten) {
        m_outcome.exitCode = ExitFailure;
        m_outcome.message = u"无法写入结果页 "_s + QDir::toNativeSeparators(m_settings.resultFile) + u": "_s +
                            m_window.statusPanelText();
    } else {
        m_outcome.exitCode = m_interrupted ? ExitInterrupted : ExitDone;
    }
    m_loop.quit();
}

} // namespace Qorvin::Cli
