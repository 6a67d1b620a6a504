// SPDX-License-Identifier: MIT
// mp3qorvin-cli's 300-song search against the local service, from the start of its process to
// the result page written, next to curl fetching the same pages in one process over one
// connection: what the program costs on top of the network's own time. Also the program's peak
// memory.
#include "serviceprocess.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace Qorvin;

namespace {

constexpr int TimeoutMs = 60000;
Test::ServiceProcess* g_service = nullptr;
// The pages the program asked for in its last search, for curl to fetch.
QByteArrayList g_searchPages;
double g_cliSecondsPerSearch = 0;

QString proxy()
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(g_service->port());
}

QByteArrayList settledLog()
{
    QByteArrayList log = g_service->requestLog();
    for (qsizetype before = -1; before != log.size();) {
        before = log.size();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        log = g_service->requestLog();
    }
    return log;
}

// The largest peak of the child processes that have ended so far (the service still runs).
double childrenPeakRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

bool runToEnd(QProcess& process)
{
    process.start();
    return process.waitForFinished(TimeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

void BM_CliSearch300(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString resultFile = folder.filePath(QStringLiteral("result.htm"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), proxy());
    qsizetype logBefore = 0;
    QElapsedTimer total;
    qint64 searches = 0;
    qint64 nanoseconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(resultFile);
        logBefore = settledLog().size();
        QProcess cli;
        cli.setProgram(QStringLiteral(QORVIN_CLI_PROGRAM));
        cli.setArguments({QStringLiteral("search"), QStringLiteral("苏轼"), QStringLiteral("-n"),
                          QStringLiteral("300"), QStringLiteral("-q"), QStringLiteral("-o"), resultFile});
        cli.setProcessEnvironment(environment);
        cli.setStandardOutputFile(QProcess::nullDevice());
        state.ResumeTiming();

        total.start();
        if (!runToEnd(cli) || !QFile::exists(resultFile))
            state.SkipWithError("the search did not write its result page");
        nanoseconds += total.nsecsElapsed();
        ++searches;
    }
    const QByteArrayList log = settledLog();
    g_searchPages.clear();
    for (qsizetype i = logBefore; i < log.size(); ++i)
        g_searchPages.append(log.at(i).split(' ').value(1));
    g_cliSecondsPerSearch =
        searches ? static_cast<double>(nanoseconds) / 1e9 / static_cast<double>(searches) : 0;
    state.counters["pages"] = static_cast<double>(g_searchPages.size());
    state.counters["peak_rss_MB"] = childrenPeakRssMegabytes();
}
BENCHMARK(BM_CliSearch300)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurlSamePages(benchmark::State& state)
{
    if (g_searchPages.isEmpty()) {
        for (int offset = 0; offset < 300; offset += 30)
            g_searchPages.append("http://mp3.baidu.com/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30"
                                 "&tn=baidump3&word=%CB%D5%E9%F8&pn=" +
                                 QByteArray::number(offset));
    }
    QStringList arguments{QStringLiteral("--silent"), QStringLiteral("--fail"), QStringLiteral("--proxy"),
                          proxy()};
    for (const QByteArray& page : std::as_const(g_searchPages))
        arguments << QStringLiteral("--output") << QStringLiteral("/dev/null") << QString::fromLatin1(page);
    QElapsedTimer total;
    qint64 runs = 0;
    qint64 nanoseconds = 0;
    for (auto _ : state) {
        QProcess curl;
        curl.setProgram(QStringLiteral("curl"));
        curl.setArguments(arguments);
        total.start();
        if (!runToEnd(curl))
            state.SkipWithError("curl failed");
        nanoseconds += total.nsecsElapsed();
        ++runs;
        // The service logs every request into a pipe that must not fill up.
        state.PauseTiming();
        settledLog();
        state.ResumeTiming();
    }
    state.counters["pages"] = static_cast<double>(g_searchPages.size());
    const double curlSeconds = runs ? static_cast<double>(nanoseconds) / 1e9 / static_cast<double>(runs) : 0;
    if (curlSeconds > 0 && g_cliSecondsPerSearch > 0)
        state.counters["cli_over_curl"] = g_cliSecondsPerSearch / curlSeconds;
}
BENCHMARK(BM_CurlSamePages)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Test::ServiceProcess service;
    const QString error = service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    g_service = &service;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
