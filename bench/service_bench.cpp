// SPDX-License-Identifier: MIT
#include "catalogue.h"
#include "gbkcodec.h"
#include "pagegenerator.h"
#include "topiclists.h"

#include <benchmark/benchmark.h>

using namespace Qorvin::LocalService;

namespace {

const PageGenerator& generator()
{
    static const PageGenerator pages;
    return pages;
}

// A singer with hundreds of songs, a common character, a rare name, and a word found nowhere.
const QString Words[] = {QStringLiteral("苏轼"), QStringLiteral("春"), QStringLiteral("水调歌头·明月几时有"),
                         QStringLiteral("没有这首歌")};

} // namespace

static void BM_SearchPage(benchmark::State& state)
{
    const QString& word = Words[state.range(0)];
    const int offset = int(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(generator().searchPage(word, offset));
}
BENCHMARK(BM_SearchPage)->ArgsProduct({{0, 1, 2, 3}, {0, 300}})->Unit(benchmark::kMicrosecond);

// What the service does per search request: the page and its GBK bytes.
static void BM_SearchPageGbk(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeGbkPage(generator().searchPage(Words[0], 0)));
}
BENCHMARK(BM_SearchPageGbk)->Unit(benchmark::kMicrosecond);

static void BM_TopicListPage(benchmark::State& state)
{
    const Topic& topic = topics()[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(generator().topicListPage(topic.path));
    state.SetLabel(topic.path.toStdString());
}
BENCHMARK(BM_TopicListPage)->Arg(0)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

static void BM_CatalogueFind(benchmark::State& state)
{
    const QString& word = Words[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(Catalogue::builtIn().find(word));
}
BENCHMARK(BM_CatalogueFind)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// What the service does per list request: the page's GBK bytes (the page text itself is made once).
static void BM_TopicListPageGbk(benchmark::State& state)
{
    const Topic& topic = topics()[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeGbkPage(*generator().topicListPage(topic.path)));
    state.SetLabel(topic.path.toStdString());
}
BENCHMARK(BM_TopicListPageGbk)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Drawing the twelve lists and making their pages, once per generator.
static void BM_PageGeneratorStart(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(PageGenerator());
}
BENCHMARK(BM_PageGeneratorStart)->Unit(benchmark::kMillisecond);
