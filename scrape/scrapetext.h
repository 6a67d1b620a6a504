// SPDX-License-Identifier: MIT
// The markers of the service's pages the scrapers rely on, and the status texts they show.
#pragma once

#include <QString>
#include <QStringView>

namespace Qorvin::ScrapeText {

// Result pages: a record starts at the source-address label; its link runs to ".mp3" and one
// more character, its title is the text of the next anchor opened with target=_blank.
inline constexpr QStringView RecordMarker = u"来源网址：";
inline constexpr QStringView UpperMp3 = u"MP3";
inline constexpr QStringView LowerMp3 = u"mp3";
inline constexpr QStringView LinkEnd = u".mp3";
inline constexpr QStringView AnchorEnd = u"_blank>";
inline constexpr QStringView TitleEnd = u"</A>";
inline constexpr QStringView NameSeparator = u"-";
// Links the service only points at ("see ...") are never taken.
inline constexpr QStringView RefusedLinkMarker = u"请参照";

// Topic list pages: the help link comes before the topic heading; reading goes on while links remain.
inline constexpr QStringView HelpMarker = u"帮助";
inline constexpr QStringView HrefMarker = u"href=";

inline constexpr QStringView SearchingStatus = u"正在搜索,(如果等待太久,可以修改结果数量重新搜索),请稍等... ";
inline constexpr QStringView SearchFinishedStatus = u"搜索完成,生成结果...";
inline constexpr QStringView ListingStatus =
    u"正在歌曲排列,(如果等待太久,可以修改结果数量重新搜索),请稍等... ";
inline constexpr QStringView LocatingStatus =
    u"正在定位目标链接,(如果等待太久,可以修改结果数量重新搜索),请稍等... ";

// A progress text: the fixed text, the running number, one space and what was just taken.
inline QString progressStatus(QStringView prefix, qint64 number, QStringView taken)
{
    QString status = prefix.toString();
    status.append(QString::number(number)).append(u' ').append(taken);
    return status;
}

} // namespace Qorvin::ScrapeText
