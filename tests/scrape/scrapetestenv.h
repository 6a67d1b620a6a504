// SPDX-License-Identifier: MIT
// A scraper environment that records every status text and counts the pumps, and the pieces
// result and topic list pages are built from in the tests.
#pragma once

#include "scrape/scrapers.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace Qorvin::Test {

struct RecordingEnv
{
    QStringList statuses;
    int pumps = 0;
    // Runs inside the pump, given the pump's 1-based number.
    std::function<void(int)> onPump;

    ScrapeEnv env()
    {
        return ScrapeEnv{[this](const QString& status) { statuses.append(status); },
                         [this] {
                             ++pumps;
                             if (onPump)
                                 onPump(pumps);
                         }};
    }
};

inline const QString RecordMarker = QStringLiteral("来源网址：");
inline const QString SearchingStatus =
    QStringLiteral("正在搜索,(如果等待太久,可以修改结果数量重新搜索),请稍等... ");
inline const QString FinishedStatus = QStringLiteral("搜索完成,生成结果...");
inline const QString ListingStatus =
    QStringLiteral("正在歌曲排列,(如果等待太久,可以修改结果数量重新搜索),请稍等... ");
inline const QString LocatingStatus =
    QStringLiteral("正在定位目标链接,(如果等待太久,可以修改结果数量重新搜索),请稍等... ");

// One record of a result page as the browser hands it over: the marker, two blanks, the
// address, and further on the title anchor.
inline QString resultRecord(const QString& address, const QString& title)
{
    return RecordMarker + QStringLiteral("  ") + address +
           QStringLiteral(" <br><A href=\"x\" target=_blank>") + title + QStringLiteral("</A><br>\n");
}

inline QString resultPage(const QStringList& records)
{
    return QStringLiteral("<HEAD></HEAD><BODY>\n") + records.join(QString()) + QStringLiteral("</BODY>");
}

// A topic list page: the help link, the heading, then the numbered anchors.
inline QString topicPage(const QString& caption, const QStringList& names)
{
    QString page = QStringLiteral("<A href=help.html>帮助</A> <B>") + caption + QStringLiteral("</B>\n");
    for (int i = 0; i < names.size(); ++i)
        page += QString::number(i + 1) + QStringLiteral(". <A href=s.html target=_blank>") + names.at(i) +
                QStringLiteral("</A><br>\n");
    return page;
}

inline CrawlState keywordState(const QString& page, qint32 wanted)
{
    CrawlState state;
    state.Text1.set(page);
    state.WantedCount = wanted;
    state.QueryUrl = QStringLiteral("http://mp3.example/m?word=x&pn=");
    return state;
}

} // namespace Qorvin::Test
