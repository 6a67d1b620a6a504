// SPDX-License-Identifier: MIT
// The search result scraper on result pages of 30 and 3,000 records, against the literal reader
// that copies the rest of the page at every cut.
#include "scrape/scrapers.h"
#include "tests/scrape/literalscrapers.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

using namespace Qorvin;

// A result page as the service sends it: every record in its own table row, every song new.
QString resultPage(int records)
{
    QString page = QStringLiteral("<HEAD><TITLE>MP3搜索</TITLE></HEAD><BODY><TABLE>\n");
    for (int i = 0; i < records; ++i) {
        const QString number = QString::number(i + 1).rightJustified(5, u'0');
        page += QStringLiteral("<TR><TD class=n>") + number +
                QStringLiteral("</TD><TD class=src>来源网址：　　http://music") + number +
                QStringLiteral(".example/mirror1/") + number +
                QStringLiteral(".MP3 </TD><TD><A href=\"http://music.example/mirror1/") + number +
                QStringLiteral(".mp3\" target=_blank>歌曲") + number + QStringLiteral(" - 歌手") + number +
                QStringLiteral("</A></TD><TD>歌手</TD></TR>\n");
    }
    return page + QStringLiteral("</TABLE></BODY>");
}

const ScrapeEnv& quietEnv()
{
    static const ScrapeEnv env{[](const QString&) {}, [] {}};
    return env;
}

template <void (*Scraper)(CrawlState&, const ScrapeEnv&)> void scrapeResultPage(benchmark::State& bench)
{
    const int records = static_cast<int>(bench.range(0));
    const QString page = resultPage(records);
    for (auto _ : bench) {
        CrawlState state;
        state.WantedCount = 1'000'000;
        state.Text1.set(page);
        Scraper(state, quietEnv());
        if (state.List1.count() != records)
            bench.SkipWithError("not every record was taken");
        benchmark::DoNotOptimize(state.List2.data());
    }
    bench.SetItemsProcessed(bench.iterations() * records);
}

void BM_SearchResultScraper(benchmark::State& bench)
{
    scrapeResultPage<&Qorvin::SearchResultScraper>(bench);
}

void BM_SearchResultScraperLiteral(benchmark::State& bench)
{
    scrapeResultPage<&Qorvin::Literal::SearchResultScraper>(bench);
}

} // namespace

BENCHMARK(BM_SearchResultScraper)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchResultScraperLiteral)->Arg(3000)->Unit(benchmark::kMillisecond);
