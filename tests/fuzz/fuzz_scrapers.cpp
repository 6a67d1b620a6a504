// SPDX-License-Identifier: MIT
// Any bytes, taken as a page in UTF-16 or UTF-8, through all three scrapers: the title and link
// lists stay parallel, the text left is a tail of the page, and every result equals the literal
// page reader's. The first bytes choose the wanted count, the stored titles and a stop.
#include "scrape/scrapers.h"
#include "tests/scrape/literalscrapers.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using namespace Qorvin;

struct Input
{
    bool utf16 = false;
    qint32 wanted = 0;
    int stopAtPump = 0; // 0: the user never stops
    bool storeTitle = false;
    QString page;
};

Input readInput(const std::uint8_t* data, std::size_t size)
{
    Input input;
    if (size < 3)
        return input;
    input.utf16 = (data[0] & 1) != 0;
    input.storeTitle = (data[0] & 2) != 0;
    // Mostly small counts; now and then the whole 32-bit range.
    if ((data[0] & 4) != 0 && size >= 7) {
        std::int32_t wanted = 0;
        std::memcpy(&wanted, data + 3, sizeof wanted);
        input.wanted = wanted;
        data += 4;
        size -= 4;
    } else {
        input.wanted = data[1] % 40 - 3;
    }
    input.stopAtPump = data[2] % 16;
    data += 3;
    size -= 3;
    if (input.utf16) {
        QString page(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
        std::memcpy(page.data(), data, (size / 2) * 2);
        input.page = page;
    } else {
        input.page = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }
    return input;
}

struct Outcome
{
    QStringList list1, list2, list3, statuses;
    QString text1;
    qint32 found = 0;
    qint16 done = 0;
    qint16 mode = 0;
    int pumps = 0;

    bool operator==(const Outcome&) const = default;
};

using Scrape = void (*)(CrawlState&, const ScrapeEnv&);

const QString Caption = QStringLiteral("新歌TOP100");

void topicList(CrawlState& state, const ScrapeEnv& env)
{
    TopicListScraper(state, Caption, env);
}

void literalTopicList(CrawlState& state, const ScrapeEnv& env)
{
    Literal::TopicListScraper(state, Caption, env);
}

Outcome run(const Input& input, Scrape scrape)
{
    CrawlState state;
    state.Text1.set(input.page);
    state.WantedCount = input.wanted;
    state.TopicIndex = 3;
    if (input.storeTitle) {
        state.List1.append(QStringLiteral("歌 - 甲"));
        state.List2.append(QStringLiteral("http://a/a.mp3"));
    }
    Outcome outcome;
    const ScrapeEnv env{[&outcome](const QString& status) { outcome.statuses.append(status); },
                        [&outcome, &state, &input] {
                            if (++outcome.pumps == input.stopAtPump)
                                state.SearchDone = LegacyTrue;
                        }};
    scrape(state, env);
    outcome.list1 = state.List1.items();
    outcome.list2 = state.List2;
    outcome.list3 = state.List3;
    outcome.text1 = state.Text1.text();
    outcome.found = state.FoundCount;
    outcome.done = state.SearchDone;
    outcome.mode = state.SearchMode;
    return outcome;
}

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Input input = readInput(data, size);
    QString rewritten = input.page;
    rewritten.replace(QStringLiteral("MP3"), QStringLiteral("mp3"));

    const Scrape fast[] = {&SearchResultScraper, &topicList, &TargetLinkLocator};
    const Scrape literal[] = {&Literal::SearchResultScraper, &literalTopicList, &Literal::TargetLinkLocator};
    for (int i = 0; i < 3; ++i) {
        const Outcome outcome = run(input, fast[i]);
        check(outcome.list1.size() == outcome.list2.size());
        check(input.page.endsWith(outcome.text1) || rewritten.endsWith(outcome.text1));
        check(outcome == run(input, literal[i]));
    }
    return 0;
}
