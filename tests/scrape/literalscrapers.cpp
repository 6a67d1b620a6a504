// SPDX-License-Identifier: MIT
#include "tests/scrape/literalscrapers.h"

#include <limits>
#include <optional>

namespace Qorvin::Literal {

namespace {

const QString RecordMarker = QStringLiteral("来源网址：");
const QString AnchorEnd = QStringLiteral("_blank>");
const QString TitleEnd = QStringLiteral("</A>");
const QString Refused = QStringLiteral("请参照");
const QString Help = QStringLiteral("帮助");
const QString Href = QStringLiteral("href=");
const QString Searching = QStringLiteral("正在搜索,(如果等待太久,可以修改结果数量重新搜索),请稍等... ");
const QString Finished = QStringLiteral("搜索完成,生成结果...");
const QString Listing = QStringLiteral("正在歌曲排列,(如果等待太久,可以修改结果数量重新搜索),请稍等... ");
const QString Locating =
    QStringLiteral("正在定位目标链接,(如果等待太久,可以修改结果数量重新搜索),请稍等... ");

qsizetype inStr(const QString& text, const QString& marker)
{
    return text.indexOf(marker) + 1;
}

std::optional<QString> left(const QString& text, qsizetype n)
{
    if (n < 0)
        return std::nullopt;
    return text.left(n);
}

std::optional<QString> right(const QString& text, qsizetype n)
{
    if (n < 0)
        return std::nullopt;
    return text.right(n);
}

QString trim(const QString& text)
{
    QString t = text;
    while (t.startsWith(u' '))
        t.remove(0, 1);
    while (t.endsWith(u' '))
        t.chop(1);
    return t;
}

// Text1 = Right(Text1, n); false when n is negative.
bool cutText1(CrawlState& state, qsizetype n)
{
    const auto kept = right(state.Text1.text(), n);
    if (!kept)
        return false;
    state.Text1.set(*kept);
    return true;
}

void replaceMp3(CrawlState& state)
{
    QString text = state.Text1.text();
    text.replace(QStringLiteral("MP3"), QStringLiteral("mp3"));
    state.Text1.set(text);
}

struct Record
{
    QString link;
    QString title;
};

// Steps 3.2 to 3.5: record cut, link, title cut, title.
std::optional<Record> readRecord(CrawlState& state)
{
    qsizetype p = inStr(state.Text1.text(), RecordMarker);
    if (!cutText1(state, state.Text1.text().size() - p - 6))
        return std::nullopt;
    Record record;
    const qsizetype q = inStr(state.Text1.text(), QStringLiteral(".mp3"));
    record.link = trim(*left(state.Text1.text(), q + 4));
    const qsizetype r = inStr(state.Text1.text(), AnchorEnd);
    if (!cutText1(state, state.Text1.text().size() - r - 6))
        return std::nullopt;
    const qsizetype s = inStr(state.Text1.text(), TitleEnd);
    const auto title = left(state.Text1.text(), s - 1);
    if (!title)
        return std::nullopt;
    record.title = *title;
    return record;
}

bool refused(const Record& record)
{
    return inStr(record.link, Refused) > 0 || record.link.isEmpty() || record.title.isEmpty();
}

} // namespace

bool IsDuplicateSong(const CrawlState& state, const QString& name)
{
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < state.List1.count(); ++i) {
        if (state.List1.at(i).left(n) == name)
            return true;
    }
    return false;
}

void SearchResultScraper(CrawlState& state, const ScrapeEnv& env)
{
    if (inStr(state.Text1.text(), RecordMarker) == 0)
        return;
    replaceMp3(state);
    for (;;) {
        if (inStr(state.Text1.text(), RecordMarker) == 0 || state.SearchDone == -1)
            return;
        const auto record = readRecord(state);
        if (!record)
            return;
        const qsizetype t = inStr(record->title, QStringLiteral("-"));
        const QString name = t == 0 ? trim(record->title) : trim(*left(record->title, t - 1));
        if (!refused(*record) && !Literal::IsDuplicateSong(state, name)) {
            if (!state.List1.append(record->title))
                return;
            state.List2.append(record->link);
            if (state.FoundCount == std::numeric_limits<qint32>::max())
                return;
            state.FoundCount = state.FoundCount + 1;
            env.showStatus(Searching + QString::number(state.FoundCount) + QStringLiteral(" ") + name);
            env.pump();
            if (static_cast<qint64>(state.FoundCount) > static_cast<qint64>(state.WantedCount) - 1) {
                state.SearchDone = -1;
                env.showStatus(Finished);
            }
        }
        env.pump();
    }
}

void TargetLinkLocator(CrawlState& state, const ScrapeEnv& env)
{
    if (inStr(state.Text1.text(), RecordMarker) == 0)
        return;
    replaceMp3(state);
    for (;;) {
        if (inStr(state.Text1.text(), RecordMarker) == 0 || state.SearchDone == -1)
            return;
        const auto record = readRecord(state);
        if (!record)
            return;
        const qsizetype t = inStr(record->title, QStringLiteral("-"));
        const QString name = t <= 1 ? trim(record->title) : trim(*left(record->title, t - 1));
        if (refused(*record)) {
            env.pump();
            continue;
        }
        if (Literal::IsDuplicateSong(state, name)) {
            env.pump();
            continue;
        }
        if (!state.List1.append(record->title))
            return;
        state.List2.append(record->link);
        env.showStatus(Locating + QString::number(state.TopicIndex) + QStringLiteral(" ") + record->link);
        env.pump();
        return;
    }
}

void TopicListScraper(CrawlState& state, const QString& topicCaption, const ScrapeEnv& env)
{
    const QString& t = topicCaption;
    if (inStr(state.Text1.text(), t) == 0)
        return;
    qsizetype p = inStr(state.Text1.text(), Help);
    if (!cutText1(state, state.Text1.text().size() - p - 2))
        return;
    p = inStr(state.Text1.text(), t);
    if (!cutText1(state, state.Text1.text().size() - p - t.size()))
        return;
    int n = 1;
    for (;;) {
        if (inStr(state.Text1.text(), Href) == 0 || state.SearchDone == -1)
            return;
        p = inStr(state.Text1.text(), QString::number(n) + QStringLiteral("."));
        if (!cutText1(state, state.Text1.text().size() - p))
            return;
        const qsizetype r = inStr(state.Text1.text(), AnchorEnd);
        if (!cutText1(state, state.Text1.text().size() - r - 6))
            return;
        const qsizetype s = inStr(state.Text1.text(), TitleEnd);
        const auto anchorText = left(state.Text1.text(), s - 1);
        if (!anchorText)
            return;
        const QString name = trim(*anchorText);
        if (state.List3.size() >= MaxListCount)
            return;
        state.List3.append(name);
        env.showStatus(Listing + QString::number(n) + QStringLiteral(" ") + name);
        env.pump();
        if (n + 1 > 32767)
            return;
        n = n + 1;
        if (state.SearchDone == -1) {
            state.SearchMode = 9;
            return;
        }
        if (n > state.WantedCount)
            return;
        env.pump();
    }
}

} // namespace Qorvin::Literal
