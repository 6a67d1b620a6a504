// SPDX-License-Identifier: MIT
// One crawl of the command line, from its start to the written result page: the crawl
// controller the window uses, driven by the page-loaded events of the engine-less browser, plus
// the endings a window leaves to its user (a run of empty pages, Ctrl-C, a service out of reach).
#pragma once

#include "cli/clibrowser.h"
#include "cli/cliwindow.h"
#include "cli/progressline.h"
#include "search/crawlcontroller.h"

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace Qorvin::Cli {

struct CrawlOutcome
{
    int exitCode = 0;
    QString message; // why the run failed or was cut short, in Chinese; empty when done
    bool resultWritten = false;
    QStringList titles; // List1 as the crawl left it
    QStringList links;  // List2
};

struct CrawlSettings
{
    QString countText;
    QString resultFile;
    int maxEmptyPages = 0; // 0: never
};

class CrawlRun : public QObject
{
    Q_OBJECT

public:
    CrawlRun(CrawlSettings settings, ProgressLine& progress, QObject* parent = nullptr);

    // Runs a keyword search for keyword as typed (the crawl trims it for the query).
    CrawlOutcome search(const QString& keyword);
    // Runs the crawl of the topic with this LabelTitle index.
    CrawlOutcome topic(int topicIndex);

    // Ends the crawl as the stop label would: the songs so far are written. For Ctrl-C.
    void interrupt();

private:
    CrawlOutcome run(const std::function<void()>& start);
    bool crawlRunning() const { return !m_controller.state().QueryUrl.isEmpty(); }
    void onPageLoaded();
    void afterPage(qint16 modeBefore, qsizetype songsBefore);
    void onServiceUnreachable();
    void end();

    CrawlSettings m_settings;
    ProgressLine& m_progress;
    CliWindow m_window;
    CliBrowser m_browser;
    CrawlController m_controller;
    QEventLoop m_loop;
    CrawlOutcome m_outcome;
    int m_emptyPagesInRow = 0;
    int m_pagesRead = 0;
    bool m_dispatching = false;
    bool m_loadWaiting = false;
    bool m_interrupted = false;
    bool m_unreachable = false;
    bool m_ended = false;
};

} // namespace Qorvin::Cli
