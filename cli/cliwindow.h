// SPDX-License-Identifier: MIT
// The crawl's window without a screen: the count and the keyword come from the command line,
// the texts the crawl shows are kept for the program to report, and a yield runs the event loop
// (at most once a millisecond).
#pragma once

#include "crawlstate/crawlwindow.h"

#include <QElapsedTimer>
#include <QString>

namespace Qorvin::Cli {

class CliWindow : public CrawlWindow
{
public:
    enum class Refusal
    {
        None,
        Count,   // the crawl moved the focus to the count box
        Keyword, // ... to the keyword box
    };

    CliWindow(QString countText, QString keyword);

    QString countText() const override { return m_count; }
    QString keywordText() const override { return m_keyword; }
    void setKeywordText(const QString& text) override { m_keyword = text; }
    QString startStopCaption() const override { return m_caption; }
    void setStartStopCaption(const QString& text) override { m_caption = text; }
    void setSearchStatusCaption(const QString&) override {}
    QString statusPanelText() const override { return m_status; }
    void setStatusPanelText(const QString& text) override { m_status = text; }
    void focusCountBox() override { m_refusal = Refusal::Count; }
    void focusKeywordBox() override { m_refusal = Refusal::Keyword; }
    void bringSearchPanelToFront() override {}
    // The crawl hides the search panel once the result page is written, and brings it back when
    // the page could not be written.
    void setSearchPanelVisible(bool visible) override { m_resultWritten = !visible; }
    void hideTopicMenu() override {}
    void yield() override;
    QString programFolder() const override;

    Refusal refusal() const { return m_refusal; }
    bool resultWritten() const { return m_resultWritten; }

private:
    QString m_count;
    QString m_keyword;
    QString m_caption;
    QString m_status;
    Refusal m_refusal = Refusal::None;
    bool m_resultWritten = false;
    QElapsedTimer m_sinceEventPass;
};

} // namespace Qorvin::Cli
