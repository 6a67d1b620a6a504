// SPDX-License-Identifier: MIT
// A window and a browser that record what the controller does to them, in one shared log, so
// tests can check the order of the steps as well as their outcome.
#pragma once

#include "crawlstate/crawlbrowser.h"
#include "crawlstate/crawlwindow.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace Qorvin::Test {

class FakeCrawlWindow : public CrawlWindow
{
public:
    explicit FakeCrawlWindow(QStringList& log) : m_log(log) {}

    QString countText() const override { return count; }
    QString keywordText() const override { return keyword; }
    void setKeywordText(const QString& text) override
    {
        keyword = text;
        m_log << QStringLiteral("keyword:") + text;
    }
    QString startStopCaption() const override { return caption; }
    void setStartStopCaption(const QString& text) override
    {
        caption = text;
        m_log << QStringLiteral("label6:") + text;
    }
    void setSearchStatusCaption(const QString& text) override
    {
        label8 = text;
        m_log << QStringLiteral("label8:") + text;
    }
    QString statusPanelText() const override { return panel; }
    void setStatusPanelText(const QString& text) override
    {
        panel = text;
        m_log << QStringLiteral("panel:") + text;
    }
    void focusCountBox() override { m_log << QStringLiteral("focus:count"); }
    void focusKeywordBox() override { m_log << QStringLiteral("focus:keyword"); }
    void bringSearchPanelToFront() override { m_log << QStringLiteral("picture2:front"); }
    void setSearchPanelVisible(bool visible) override
    {
        searchPanelVisible = visible;
        m_log << (visible ? QStringLiteral("picture2:show") : QStringLiteral("picture2:hide"));
    }
    void hideTopicMenu() override
    {
        topicMenuVisible = false;
        m_log << QStringLiteral("menu:hide");
    }
    void yield() override
    {
        ++yields;
        m_log << QStringLiteral("yield");
        if (onYield)
            onYield(yields);
    }
    QString programFolder() const override { return folder; }

    // The return label (Label7): the search home again, without touching the crawl.
    void returnToSearchHome()
    {
        bringSearchPanelToFront();
        setSearchPanelVisible(true);
        setStartStopCaption(startCaption());
        setKeywordText(QString());
    }

    QString count = QStringLiteral("30");
    QString keyword;
    QString caption = startCaption();
    QString label8;
    QString panel;
    QString folder;
    bool searchPanelVisible = true;
    bool topicMenuVisible = true;
    int yields = 0;
    std::function<void(int)> onYield; // runs inside every yield, given its 1-based number

private:
    QStringList& m_log;
};

class FakeCrawlBrowser : public CrawlBrowser
{
public:
    explicit FakeCrawlBrowser(QStringList& log) : m_log(log) {}

    void Navigate(const QString& url) override
    {
        requests << url;
        m_log << QStringLiteral("navigate:") + url;
    }
    void setVisible(bool isVisible) override
    {
        visible = isVisible;
        m_log << (isVisible ? QStringLiteral("browser:show") : QStringLiteral("browser:hide"));
    }
    QString innerHtml() const override { return html; }

    QStringList requests;
    bool visible = false;
    QString html;

private:
    QStringList& m_log;
};

} // namespace Qorvin::Test
