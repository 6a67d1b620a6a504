// SPDX-License-Identifier: MIT
#include "search/topictable.h"

#include "crawlstate/queryurl.h"

#include <algorithm>

namespace Qorvin {

using namespace Qt::StringLiterals;

const std::vector<TopicEntry>& topicTable()
{
    // The captions are the menu labels' own, trailing blanks included; there is no label 9.
    static const std::vector<TopicEntry> table{
        {0, u"新歌TOP100"_s, u"/list/newhits.html#top1"_s},
        {1, u"歌曲TOP500"_s, u"/topso/mp3topsong.html#top2"_s},
        {2, u"电影金曲 "_s, u"/list/movies.html#top4"_s},
        {3, u"电视金曲"_s, u"/list/tvs.html#top5"_s},
        {4, u"经典老歌"_s, u"/list/oldsong.html#top6"_s},
        {5, u"歌手列表"_s, u"/singer/singers.html#top7"_s},
        {6, u"歌曲列表"_s, u"/song/A.htm#top8"_s},
        {7, u"热门对唱 "_s, u"/list/duichang.html#top9"_s},
        {8, u"热门DJ "_s, u"/list/dj.html#top10"_s},
        {10, u"民歌精选 "_s, u"/minge/mp3topsong.html#top12"_s},
        {11, u"校园歌曲 "_s, u"/xiaoyuan/mp3topsong.html#top13"_s},
        {12, u"情歌对对碰"_s, u"/list/qgddp.html"_s},
    };
    return table;
}

std::optional<TopicEntry> topicEntry(int index)
{
    const std::vector<TopicEntry>& table = topicTable();
    const auto it =
        std::find_if(table.begin(), table.end(), [index](const TopicEntry& e) { return e.index == index; });
    if (it == table.end())
        return std::nullopt;
    return *it;
}

QString topicListUrl(const TopicEntry& entry)
{
    return u"http://"_s + listHost() + entry.pathAndFragment;
}

} // namespace Qorvin
