// SPDX-License-Identifier: MIT
// A controller wired to the fakes, a program folder of its own and a page server that answers
// the latest request, the way the browser lets the last navigation win.
#pragma once

#include "crawlstate/queryurl.h"
#include "resultpage/resultlocation.h"
#include "search/crawlcontroller.h"
#include "tests/search/crawlfakes.h"

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace Qorvin::Test {

struct PageSong
{
    QString title;
    QString link;
};

// A keyword result page in the browser's legacy marker forms: per record the record marker,
// two blanks, the address, then the anchor that carries the title.
inline QString keywordResultPage(const QList<PageSong>& songs)
{
    QString page = QStringLiteral("<HEAD><TITLE>result</TITLE></HEAD><BODY><TABLE>");
    for (const PageSong& song : songs) {
        page += QStringLiteral("<TR><TD>来源网址：  ") + song.link +
                QStringLiteral(" </TD><TD><A href=\"/play\" target=_blank>") + song.title +
                QStringLiteral("</A></TD></TR>");
    }
    return page + QStringLiteral("</TABLE></BODY>");
}

// A topic list page: the help link, the topic's heading, then the numbered names.
inline QString topicListPage(const QString& heading, const QStringList& names)
{
    QString page =
        QStringLiteral("<BODY><A href=/help>帮助</A> <H2>") + heading + QStringLiteral("</H2><OL>");
    for (qsizetype i = 0; i < names.size(); ++i) {
        page += QStringLiteral("<LI>") + QString::number(i + 1) +
                QStringLiteral(". <A href=/s target=_blank>") + names.at(i) + QStringLiteral("</A></LI>");
    }
    return page + QStringLiteral("</OL></BODY>");
}

struct QueryRequest
{
    QString word;
    int offset = 0;
};

// The keyword and the page offset of a result page request; empty for any other address.
inline std::optional<QueryRequest> parseQueryRequest(const QString& url)
{
    const QString prefix = queryPrefix();
    const qsizetype pn = url.lastIndexOf(QStringLiteral("&pn="));
    if (!url.startsWith(prefix) || pn < prefix.size())
        return std::nullopt;
    bool ok = false;
    const int offset = url.mid(pn + 4).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return QueryRequest{url.mid(prefix.size(), pn - prefix.size()), offset};
}

inline QString songLink(const QString& word, int number)
{
    return QStringLiteral("http://music.localservice.example/") + word + QString::number(number) +
           QStringLiteral(".mp3");
}

// Songs "word<n> - Singer" for n from first on, each with an address of its own.
inline QList<PageSong> songsOf(const QString& word, int first, int count)
{
    QList<PageSong> songs;
    for (int i = first; i < first + count; ++i)
        songs.append({word + QString::number(i) + QStringLiteral(" - Singer"), songLink(word, i)});
    return songs;
}

// The result page of word at offset.
inline QString resultPageRequest(const QString& word, int offset)
{
    return keywordQueryUrl(word) + QString::number(offset);
}

// Every result page of every keyword holds perPage songs of its own, numbered by offset.
inline std::function<QString(const QString&)> keywordServer(int perPage)
{
    return [perPage](const QString& url) {
        const std::optional<QueryRequest> query = parseQueryRequest(url);
        return query ? keywordResultPage(songsOf(query->word, query->offset, perPage))
                     : QStringLiteral("<BODY>local page</BODY>");
    };
}

inline const QStringList TopicNames{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")};

// The list host answers listPage; each name's result page holds two records.
inline std::function<QString(const QString&)> topicServer(const QString& listPage)
{
    return [listPage](const QString& url) {
        if (url.contains(QStringLiteral("list.mp3.baidu.com")))
            return listPage;
        if (const std::optional<QueryRequest> query = parseQueryRequest(url))
            return keywordResultPage(songsOf(query->word, 0, 2));
        return QStringLiteral("<BODY>maker</BODY>");
    };
}

class CrawlRig
{
public:
    CrawlRig() : window(log), browser(log), controller(window, browser)
    {
        window.folder = programFolder.path();
        controller.windowLoaded();
    }

    bool hasPendingRequest() const { return browser.requests.size() > m_answered; }

    // The latest request finishes loading (any earlier one was replaced) and raises the
    // page-loaded event.
    bool loadPending()
    {
        if (!hasPendingRequest())
            return false;
        m_answered = browser.requests.size();
        browser.html = serve ? serve(browser.requests.last()) : QString();
        controller.PageLoadDispatcher();
        return true;
    }

    // A further page-loaded event for the page already loaded, as a frame of it would raise.
    void loadAgain() { controller.PageLoadDispatcher(); }

    int loadUntilIdle(int limit = 200)
    {
        int loads = 0;
        while (loads < limit && loadPending())
            ++loads;
        return loads;
    }

    void start(const QString& keyword, const QString& count = QStringLiteral("30"))
    {
        window.keyword = keyword;
        window.count = count;
        controller.startStopClicked();
    }

    const CrawlState& state() const { return controller.state(); }
    QString resultUrl() const { return resultLocation(programFolder.path()).pageUrl; }

    QByteArray resultBytes() const
    {
        QFile file(resultLocation(programFolder.path()).filePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Rows in result.htm: the page has 140 lines and 7 more per song; -1 when it is missing or
    // not of that shape.
    int resultRows() const
    {
        const QByteArray bytes = resultBytes();
        const qsizetype lines = bytes.count("\r\n");
        if (bytes.isEmpty() || lines < 140 || (lines - 140) % 7 != 0)
            return -1;
        return static_cast<int>((lines - 140) / 7);
    }

    QStringList log;
    QTemporaryDir programFolder;
    FakeCrawlWindow window;
    FakeCrawlBrowser browser;
    CrawlController controller;
    std::function<QString(const QString& url)> serve;

private:
    qsizetype m_answered = 0;
};

} // namespace Qorvin::Test
