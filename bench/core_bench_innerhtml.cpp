// SPDX-License-Identifier: MIT
#include "app/legacyhtml/legacyinnerhtml.h"
#include "localservice/pagegenerator.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// About 100 KB of a search result page as the engine writes it back: tables of records, each with
// its source line, a title anchor, a comment and the odd entity.
QString searchResultDocument(qsizetype targetBytes)
{
    QString body;
    int record = 0;
    while (body.toUtf8().size() < targetBytes) {
        for (int i = 0; i < 30; ++i, ++record) {
            body +=
                u"<tr class=\"row\">\n  <td width=\"18\">%1</td>\n  <td class=\"d\"><a "
                u"href=\"http://music.localservice"
                u".example/m/%1.mp3\" target=\"_blank\">沁园春·雪 - 词人%1</a>&nbsp;<!-- rank -->\n  </td>\n "
                u" "
                u"<td>来源网址：  http://music.localservice.example/m/%1.mp3 &amp; 更多</td>\n</tr>\n"_s.arg(
                    record);
        }
    }
    return u"<html><head><title>搜索</title><style>td{font-size:12px}</style></head><body><table>"_s + body +
           u"</table><script>var a = 1 < 2;</script></body></html>"_s;
}

void BM_InnerHtml(benchmark::State& state)
{
    const QString page = searchResultDocument(100 * 1024);
    const qsizetype bytes = page.toUtf8().size();
    for (auto _ : state)
        benchmark::DoNotOptimize(Qorvin::legacyInnerHtml(page));
    state.SetBytesProcessed(state.iterations() * bytes);
}

} // namespace

BENCHMARK(BM_InnerHtml)->Unit(benchmark::kMicrosecond);

namespace {

// The pages a crawl really reads: the local service's result pages for a keyword with many
// songs, one after another, about 100 KB in all.
void BM_InnerHtmlServicePages(benchmark::State& state)
{
    const Qorvin::LocalService::PageGenerator generator;
    QStringList pages;
    qsizetype bytes = 0;
    for (int offset = 0; bytes < 100 * 1024; offset += 30) {
        pages.append(generator.searchPage(u"春"_s, offset));
        bytes += pages.last().toUtf8().size();
    }
    for (auto _ : state) {
        for (const QString& page : std::as_const(pages))
            benchmark::DoNotOptimize(Qorvin::legacyInnerHtml(page));
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["pages"] = static_cast<double>(pages.size());
}

} // namespace

BENCHMARK(BM_InnerHtmlServicePages)->Unit(benchmark::kMicrosecond);
