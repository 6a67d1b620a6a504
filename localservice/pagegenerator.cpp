// SPDX-License-Identifier: MIT
#include "localservice/pagegenerator.h"

#include "crawlstate/queryurl.h"
#include "localservice/gbkcodec.h"
#include "localservice/recordtraits.h"

#include <QByteArray>

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

namespace {

const QString RecordMarker = u"来源网址："_s;
// Two ordinary characters between the marker and the address: they survive a browser's
// parsing and re-serialization unchanged, where &nbsp; would come back as six characters.
const QString MarkerGap = u"　　"_s;

QString pageStart(const QString& title)
{
    return u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
           u"<title>"_s +
           title.toHtmlEscaped() +
           u"</title>\n<style>body,td,th{font-size:12px} td{padding:2px 6px} .src{color:#008000}"
           u" .n{text-align:right}</style>\n</head>\n<body>\n"_s;
}

const QString PageEnd = u"<p class=foot>本地MP3搜索服务</p>\n</body>\n</html>\n"_s;

QString searchHome()
{
    return u"http://"_s + searchHost() + u'/';
}

// The query key and value of a word: GBK as the service expects, UTF-8 with ie=utf-8 when GBK
// has no form for one of its characters.
QString wordQuery(const QString& word)
{
    const std::optional<QByteArray> gbk = encodeGbk(word);
    if (gbk)
        return u"word="_s + QString::fromLatin1(gbk->toPercentEncoding());
    return u"ie=utf-8&amp;word="_s + QString::fromLatin1(word.toUtf8().toPercentEncoding());
}

QString searchAddress(const QString& word, int offset)
{
    return u"http://"_s + searchHost() +
           u"/m?z=0&amp;cl=3&amp;ct=134217728&amp;sn=&amp;lm=0&amp;cm=1&amp;sc=1&amp;bu=&amp;rn=30&amp;tn="
           u"baidump3&amp;"_s +
           wordQuery(word) + u"&amp;pn="_s + QString::number(offset);
}

QString searchForm(const QString& word)
{
    return u"<table width=\"100%\"><tr><td><A href=\""_s + searchHome() +
           u"\">MP3搜索</A></td>\n<td><form name=f action=\"http://"_s + searchHost() +
           u"/m\" method=get><input type=hidden name=tn value=baidump3><input type=hidden name=ct "
           u"value=134217728><input name=word size=42 maxlength=100 value=\""_s +
           word.toHtmlEscaped() + u"\"> <input type=submit value=\"搜索\"></form></td></tr></table>\n"_s;
}

QString pager(const QString& word, int offset, qsizetype total)
{
    const qsizetype pages = (total + PageGenerator::RecordsPerPage - 1) / PageGenerator::RecordsPerPage;
    const qsizetype current = offset / PageGenerator::RecordsPerPage;
    QString html = QStringLiteral("<p class=pages>");
    if (current > 0 && current <= pages) {
        html += u"<A href=\""_s + searchAddress(word, int((current - 1) * PageGenerator::RecordsPerPage)) +
                u"\">上一页</A> "_s;
    }
    const qsizetype first = qMax<qsizetype>(0, current - 5);
    for (qsizetype page = first; page < pages && page < first + 10; ++page) {
        if (page == current) {
            html += u"<b>"_s + QString::number(page + 1) + u"</b> "_s;
            continue;
        }
        html += u"<A href=\""_s + searchAddress(word, int(page * PageGenerator::RecordsPerPage)) + u"\">"_s +
                QString::number(page + 1) + u"</A> "_s;
    }
    if (current + 1 < pages) {
        html += u"<A href=\""_s + searchAddress(word, int((current + 1) * PageGenerator::RecordsPerPage)) +
                u"\">下一页</A>"_s;
    }
    return html + u"</p>\n"_s;
}

QString titleOf(const Song& song, const RecordTraits& traits)
{
    QString name = song.name;
    if (traits.variantDot)
        name.replace(u'·', QChar(0x30FB));
    switch (traits.titleForm) {
    case TitleForm::NameOnly:
        return name;
    case TitleForm::LeadingDash:
        return u'-' + name + u" - "_s + song.singer;
    case TitleForm::NameDashSingerBitrate:
        return name + u" - "_s + song.singer + u" ["_s + QString::number(traits.bitrate) + u"K]"_s;
    case TitleForm::NameDashSinger:
        break;
    }
    return name + u" - "_s + song.singer;
}

void appendAddressRecord(QString& html, const PageRecord& record, int number)
{
    html += u"<tr><td class=n>"_s + QString::number(number) + u"</td><td class=src>"_s + RecordMarker +
            MarkerGap + record.address + u" </td><td><A href=\""_s + record.address + u"\" target=_blank>"_s +
            record.title.toHtmlEscaped() + u"</A></td><td>"_s + record.singer.toHtmlEscaped() +
            u"</td></tr>\n"_s;
}

QString recordsTableStart(int offset, qsizetype last, qsizetype total)
{
    return u"<p>找到相关歌曲"_s + QString::number(total) + u"首，这是第"_s + QString::number(offset + 1) +
           u'-' + QString::number(last) +
           u"首</p>\n<table class=r width=\"100%\" cellspacing=0>\n"
           u"<tr><th>序号</th><th>来源</th><th>歌曲名</th><th>歌手</th></tr>\n"_s;
}

} // namespace

PageGenerator::PageGenerator(const Catalogue& catalogue) : m_catalogue(catalogue), m_topicLists(catalogue)
{
    for (qsizetype i = 0; i < topics().size(); ++i)
        m_topicPages.append(makeTopicListPage(i));
}

QString PageGenerator::songAddress(SongId id, int mirror, bool upperCaseExtension)
{
    return u"http://"_s + musicHost() + u"/mirror"_s + QString::number(mirror) + u'/' + QString::number(id) +
           (upperCaseExtension ? u".MP3"_s : u".mp3"_s);
}

void PageGenerator::appendRecord(QString& html, SongId id, int mirror, int number) const
{
    const Song& song = m_catalogue.song(id);
    const RecordTraits traits = recordTraitsOf(id, mirror);
    const QString address = songAddress(id, mirror, traits.upperCaseExtension);
    const QString title = titleOf(song, traits).toHtmlEscaped();
    html +=
        u"<tr><td class=n>"_s + QString::number(number) + u"</td><td class=src>"_s + RecordMarker + MarkerGap;
    if (traits.referNotice) {
        // The copy's page is known, its file address is not: the visitor is sent to the page.
        html += u"请参照原网页 </td><td><A href=\"http://"_s + musicHost() + u"/mirror"_s +
                QString::number(mirror) + u"/"_s + QString::number(id) + u".htm\" target=_blank>"_s + title +
                u"</A>"_s;
    } else {
        html += address + u" </td><td><A href=\""_s + address + u"\" target=_blank>"_s + title + u"</A>"_s;
    }
    html += u"</td><td>"_s + song.singer.toHtmlEscaped() + u"</td></tr>\n"_s;
}

QString PageGenerator::searchPage(const QString& word, int offset) const
{
    QString html = pageStart(u"MP3搜索_"_s + word);
    html.reserve(16 * 1024);
    html += searchForm(word);

    const QList<SongId> found = m_catalogue.find(word);
    qsizetype total = 0;
    for (SongId id : found)
        total += mirrorCountOf(id);

    if (found.isEmpty()) {
        html += word.trimmed().isEmpty()
                    ? QStringLiteral("<p>请输入要搜索的歌曲名或歌手名。</p>\n")
                    : u"<p>抱歉，没有找到与“"_s + word.toHtmlEscaped() + u"”相关的歌曲。</p>\n"_s;
        return html + PageEnd;
    }
    offset = qMax(0, offset);
    if (offset >= total) {
        html += u"<p>找到相关歌曲"_s + QString::number(total) + u"首，没有更多的结果了。</p>\n"_s;
        return html + pager(word, offset, total) + PageEnd;
    }

    const qsizetype last = qMin<qsizetype>(total, qsizetype(offset) + RecordsPerPage);
    html += recordsTableStart(offset, last, total);
    qsizetype record = 0;
    for (SongId id : found) {
        const int mirrors = mirrorCountOf(id);
        if (record + mirrors <= offset) {
            record += mirrors;
            continue;
        }
        for (int mirror = 1; mirror <= mirrors && record < last; ++mirror, ++record) {
            if (record >= offset)
                appendRecord(html, id, mirror, int(record + 1));
        }
        if (record >= last)
            break;
    }
    html += u"</table>\n"_s;
    return html + pager(word, offset, total) + PageEnd;
}

QString PageGenerator::recordsPage(const QString& word, int offset, const QList<PageRecord>& records,
                                   qsizetype total, const QString& notice) const
{
    QString html = pageStart(u"MP3搜索_"_s + word);
    html.reserve(16 * 1024);
    html += searchForm(word);
    offset = qMax(0, offset);
    if (records.isEmpty()) {
        if (!notice.isEmpty())
            html += u"<p>"_s + notice.toHtmlEscaped() + u"</p>\n"_s;
        else if (word.trimmed().isEmpty())
            html += QStringLiteral("<p>请输入要搜索的歌曲名或歌手名。</p>\n");
        else if (total == 0)
            html += u"<p>抱歉，没有找到与“"_s + word.toHtmlEscaped() + u"”相关的歌曲。</p>\n"_s;
        else
            html += u"<p>找到相关歌曲"_s + QString::number(total) + u"首，没有更多的结果了。</p>\n"_s;
        return html + (total > 0 ? pager(word, offset, total) : QString()) + PageEnd;
    }
    const qsizetype shown = qMin<qsizetype>(records.size(), RecordsPerPage);
    total = qMax<qsizetype>(total, offset + shown);
    html += recordsTableStart(offset, offset + shown, total);
    for (qsizetype i = 0; i < shown; ++i)
        appendAddressRecord(html, records[i], int(offset + i + 1));
    html += u"</table>\n"_s;
    return html + pager(word, offset, total) + PageEnd;
}

QString PageGenerator::badQueryPage(const QString& reason) const
{
    return pageStart(QStringLiteral("MP3搜索")) + searchForm(QString()) + u"<p>无法读取这个搜索请求："_s +
           reason.toHtmlEscaped() + u"。</p>\n"_s + PageEnd;
}

std::optional<QString> PageGenerator::topicListPage(const QString& path) const
{
    const qsizetype index = TopicLists::topicIndexOf(path);
    if (index < 0)
        return std::nullopt;
    return m_topicPages[index];
}

QString PageGenerator::makeTopicListPage(qsizetype index) const
{
    return topicListPageWith(index, m_topicLists.entries(index));
}

QString PageGenerator::topicListPageWith(qsizetype index, const QStringList& entries,
                                         const QString& notice) const
{
    const Topic& topic = topics()[index];

    QString html = pageStart(topic.heading + u"_MP3榜单"_s);
    html.reserve(entries.size() * 300 + 2048);
    html += u"<table width=\"100%\"><tr><td><A href=\""_s + searchHome() +
            u"\">MP3搜索</A> | <A href=\"http://"_s + listHost() +
            u"/help.html\">帮助</A></td></tr></table>\n<h3>"_s + topic.heading + u"</h3>\n"_s;
    if (!notice.isEmpty())
        html += u"<p>"_s + notice.toHtmlEscaped() + u"</p>\n"_s;
    html += u"<table class=list>\n"_s;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        html += u"<tr><td class=n>"_s + QString::number(i + 1) + u".</td><td><A href=\""_s +
                searchAddress(entry, 0) + u"\" target=_blank>"_s + entry.toHtmlEscaped() +
                u"</A></td></tr>\n"_s;
    }
    html += u"</table>\n<p><A href=\""_s + searchHome() + u"\">返回MP3搜索</A></p>\n"_s;
    return html + PageEnd;
}

QString PageGenerator::makerHomePage() const
{
    return pageStart(makerSiteName()) + u"<h2>"_s + makerSiteName() +
           u"</h2>\n<p>欢迎光临。这里发布本站的小工具和它们的更新。</p>\n<p><A href=\""_s + makerForumUrl() +
           u"\">进入论坛</A></p>\n"_s + PageEnd;
}

QString PageGenerator::forumPage() const
{
    return pageStart(makerSiteName() + u"论坛"_s) + u"<h2>"_s + makerSiteName() +
           u"论坛</h2>\n<table>\n<tr><td>软件使用交流</td><td>主题 128</td></tr>\n"
           u"<tr><td>问题反馈</td><td>主题 64</td></tr>\n</table>\n<p><A href=\""_s +
           makerHomeUrl() + u"/\">返回首页</A></p>\n"_s + PageEnd;
}

QString PageGenerator::notFoundPage(const QString& path) const
{
    return pageStart(QStringLiteral("404 找不到网页")) + u"<p>找不到网页 "_s + path.toHtmlEscaped() +
           u"。</p>\n"_s + PageEnd;
}

QString PageGenerator::serverErrorPage() const
{
    return pageStart(QStringLiteral("500 服务器错误")) +
           u"<p>服务器暂时无法处理这个请求，请稍后再试。</p>\n"_s + PageEnd;
}

} // namespace Qorvin::LocalService
