// SPDX-License-Identifier: MIT
#include "localservice/topiclists.h"

#include "localservice/seededhash.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

namespace Qorvin::LocalService {

namespace {

// How a list is drawn: the songs whose name holds one of the words (all songs when there are
// none), ranked by a hash salted per topic, the first `count` distinct names.
struct Draw
{
    int count;
    QList<QStringView> nameWords;
};

enum class Kind
{
    Drawn,
    Classics, // the 宋词三百首 selection, in its own order
    Singers,  // the singers with the most songs
};

struct TopicPlan
{
    Kind kind;
    Draw draw;
};

const QList<TopicPlan>& plans()
{
    static const QList<TopicPlan> all = {
        {Kind::Drawn, {100, {}}},                                   // 新歌TOP100
        {Kind::Drawn, {500, {}}},                                   // 歌曲TOP500
        {Kind::Drawn, {80, {u"月", u"梦", u"风"}}},                 // 电影金曲
        {Kind::Drawn, {60, {u"春", u"秋", u"江"}}},                 // 电视金曲
        {Kind::Classics, {0, {}}},                                  // 经典老歌
        {Kind::Singers, {120, {}}},                                 // 歌手列表
        {Kind::Drawn, {200, {}}},                                   // 歌曲列表
        {Kind::Drawn, {50, {u"相见", u"双", u"两", u"君"}}},        // 热门对唱
        {Kind::Drawn, {40, {u"醉", u"舞", u"歌"}}},                 // 热门DJ
        {Kind::Drawn, {60, {u"竹枝", u"渔", u"采桑", u"山"}}},      // 民歌精选
        {Kind::Drawn, {60, {u"少年", u"花", u"书"}}},               // 校园歌曲
        {Kind::Drawn, {60, {u"相思", u"情", u"恋", u"怨", u"泪"}}}, // 情歌对对碰
    };
    return all;
}

bool holdsAny(const QString& name, const QList<QStringView>& words)
{
    return words.isEmpty() ||
           std::any_of(words.cbegin(), words.cend(), [&](QStringView word) { return name.contains(word); });
}

QStringList drawn(const Catalogue& catalogue, const Draw& draw, qsizetype salt)
{
    QList<std::pair<std::uint64_t, SongId>> ranked;
    for (SongId id = 0; id < catalogue.size(); ++id) {
        if (holdsAny(catalogue.song(id).name, draw.nameWords))
            ranked.append({seededHash(std::uint64_t(id), 1000 + std::uint64_t(salt)), id});
    }
    // Only the head of the ranking is read: sort that much, and all of it only when the head
    // holds too many repeated names.
    for (qsizetype sorted = qMin<qsizetype>(ranked.size(), draw.count * 2);; sorted = ranked.size()) {
        std::partial_sort(ranked.begin(), ranked.begin() + sorted, ranked.end());
        QStringList names;
        QSet<QString> seen;
        for (qsizetype i = 0; i < sorted && names.size() < draw.count; ++i) {
            const QString& name = catalogue.song(ranked[i].second).name;
            if (!seen.contains(name)) {
                seen.insert(name);
                names.append(name);
            }
        }
        if (names.size() >= draw.count || sorted == ranked.size())
            return names;
    }
}

QStringList classics(const Catalogue& catalogue)
{
    QStringList names;
    for (SongId id : catalogue.classics())
        names.append(catalogue.song(id).name);
    return names;
}

QStringList busiestSingers(const Catalogue& catalogue, int count)
{
    QHash<QString, int> songsBySinger;
    QStringList singers;
    for (const Song& song : catalogue.songs()) {
        if (song.singer == u"无名氏")
            continue;
        if (!songsBySinger.contains(song.singer))
            singers.append(song.singer);
        ++songsBySinger[song.singer];
    }
    // A stable sort keeps catalogue order among singers with as many songs.
    std::stable_sort(singers.begin(), singers.end(), [&](const QString& a, const QString& b) {
        return songsBySinger.value(a) > songsBySinger.value(b);
    });
    return singers.first(qMin<qsizetype>(count, singers.size()));
}

} // namespace

const QList<Topic>& topics()
{
    static const QList<Topic> all = {
        {QStringLiteral("/list/newhits.html"), QStringLiteral("新歌TOP100")},
        {QStringLiteral("/topso/mp3topsong.html"), QStringLiteral("歌曲TOP500")},
        {QStringLiteral("/list/movies.html"), QStringLiteral("电影金曲")},
        {QStringLiteral("/list/tvs.html"), QStringLiteral("电视金曲")},
        {QStringLiteral("/list/oldsong.html"), QStringLiteral("经典老歌")},
        {QStringLiteral("/singer/singers.html"), QStringLiteral("歌手列表")},
        {QStringLiteral("/song/A.htm"), QStringLiteral("歌曲列表")},
        {QStringLiteral("/list/duichang.html"), QStringLiteral("热门对唱")},
        {QStringLiteral("/list/dj.html"), QStringLiteral("热门DJ")},
        {QStringLiteral("/minge/mp3topsong.html"), QStringLiteral("民歌精选")},
        {QStringLiteral("/xiaoyuan/mp3topsong.html"), QStringLiteral("校园歌曲")},
        {QStringLiteral("/list/qgddp.html"), QStringLiteral("情歌对对碰")},
    };
    return all;
}

TopicLists::TopicLists(const Catalogue& catalogue)
{
    for (qsizetype i = 0; i < plans().size(); ++i) {
        const TopicPlan& plan = plans()[i];
        switch (plan.kind) {
        case Kind::Drawn:
            m_entries.append(drawn(catalogue, plan.draw, i));
            break;
        case Kind::Classics:
            m_entries.append(classics(catalogue));
            break;
        case Kind::Singers:
            m_entries.append(busiestSingers(catalogue, plan.draw.count));
            break;
        }
    }
}

qsizetype TopicLists::topicIndexOf(QStringView path)
{
    qsizetype cut = path.size();
    for (QChar stop : {u'#', u'?'}) {
        const qsizetype at = path.indexOf(stop);
        if (at >= 0 && at < cut)
            cut = at;
    }
    const QStringView bare = path.first(cut);
    for (qsizetype i = 0; i < topics().size(); ++i) {
        if (topics()[i].path == bare)
            return i;
    }
    return -1;
}

} // namespace Qorvin::LocalService
