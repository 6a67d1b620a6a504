// SPDX-License-Identifier: MIT
#include "localservice/archivetopics.h"

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

const QList<ArchiveTopic>& archiveTopics()
{
    static const QString Downloads = u"downloads desc"_s;
    static const QList<ArchiveTopic> all = {
        {u"新歌TOP100"_s, u"mediatype:(audio) AND collection:(audio_music OR netlabels)"_s,
         u"publicdate desc"_s, 100},
        {u"歌曲TOP500"_s, u"mediatype:(audio) AND collection:(audio_music OR georgeblood)"_s, Downloads, 500},
        {u"电影金曲"_s, u"mediatype:(audio) AND subject:(soundtrack OR film OR 电影)"_s, Downloads, 100},
        {u"电视金曲"_s, u"mediatype:(audio) AND subject:(television OR 电视)"_s, Downloads, 100},
        {u"经典老歌"_s, u"mediatype:(audio) AND collection:(georgeblood)"_s, Downloads, 200},
        {u"歌手列表"_s, u"mediatype:(audio) AND collection:(georgeblood)"_s, Downloads, 200,
         ArchiveTopic::Creator},
        {u"歌曲列表"_s, u"mediatype:(audio) AND collection:(georgeblood)"_s, u"titleSorter asc"_s, 200},
        {u"热门对唱"_s, u"mediatype:(audio) AND subject:(duet OR 对唱)"_s, Downloads, 100},
        {u"热门DJ"_s, u"mediatype:(audio) AND subject:(dj OR electronic OR remix)"_s, Downloads, 100},
        {u"民歌精选"_s, u"mediatype:(audio) AND subject:(folk OR 民歌)"_s, Downloads, 100},
        {u"校园歌曲"_s, u"mediatype:(audio) AND subject:(campus OR 校园)"_s, Downloads, 100},
        {u"情歌对对碰"_s, u"mediatype:(audio) AND subject:(love OR 情歌)"_s, Downloads, 100},
    };
    return all;
}

} // namespace Qorvin::LocalService
