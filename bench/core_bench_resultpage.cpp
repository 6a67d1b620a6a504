// SPDX-License-Identifier: MIT
#include "resultpage/resultpagewriter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// Songs as a crawl collects them: Chinese titles, plain web addresses.
void makeSongs(int count, QStringList& titles, QStringList& links)
{
    titles.reserve(count);
    links.reserve(count);
    for (int i = 0; i < count; ++i) {
        titles << u"月亮代表我的心 - 邓丽君 %1"_s.arg(i);
        links << u"http://music.localservice.example/songs/%1/yue-liang-dai-biao-wo-de-xin.mp3"_s.arg(i);
    }
}

void BM_ResultPageWriter(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    QStringList titles;
    QStringList links;
    makeSongs(count, titles, links);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"result.htm"_s);
    for (auto _ : state) {
        const Qorvin::Outcome result = Qorvin::ResultPageWriter(path, u"月亮"_s, titles, links);
        if (!result.ok)
            state.SkipWithError(result.errorString.toStdString().c_str());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The page's bytes alone, without the file: what the writer costs before the disk does.
void BM_ResultPageBytes(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    QStringList titles;
    QStringList links;
    makeSongs(count, titles, links);
    for (auto _ : state)
        benchmark::DoNotOptimize(Qorvin::resultPageBytes(u"月亮"_s, titles, links));
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(BM_ResultPageBytes)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultPageWriter)->Arg(30)->Arg(32767)->Unit(benchmark::kMillisecond);
