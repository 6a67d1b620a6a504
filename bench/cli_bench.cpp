// SPDX-License-Identifier: MIT
// mp3qorvin-cli's 300-song search against the local service, from the start of its process to
// the result page written, next to curl fetching the same pages in one process over one
// connection: what the program costs on top of the network's own time, against the local service
// as it answers and against one that answers each page 5 ms late. Also the time to the program's
// exit (after the result page it prints the songs and tears down) and its peak memory.
#include "tests/e2e/serviceprocess.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

using namespace Qorvin;

namespace {

constexpr int TimeoutMs = 60000;
// One service and what the program did against it, for curl to do the same.
struct ServiceRun
{
    Test::ServiceProcess* service = nullptr;
    // The pages the program asked for in its last search.
    QByteArrayList searchPages;
    // From process start to the result page written, and to the process's exit.
    double cliSecondsPerSearch = 0;
    double cliExitSecondsPerSearch = 0;

    QString proxy() const { return QStringLiteral("http://127.0.0.1:") + QString::number(service->port()); }
};

// The local service as it answers, and one that answers every page 5 ms late, as any service
// over a real network does.
ServiceRun g_local;
ServiceRun g_latency;

QByteArrayList settledLog(Test::ServiceProcess& service)
{
    QByteArrayList log = service.requestLog();
    for (qsizetype before = -1; before != log.size();) {
        before = log.size();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        log = service.requestLog();
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

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Notes the moment a file of the given name appears whole in a folder. The program writes its
// result page under another name and then links or renames it into place, so the name's arrival
// is the moment the page is written.
class FileArrival
{
public:
    FileArrival(const QString& folder, const QString& name) : m_name(name.toLocal8Bit())
    {
        m_fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, folder.toLocal8Bit().constData(), IN_CREATE | IN_MOVED_TO);
        m_thread = std::thread([this] { watch(); });
    }
    ~FileArrival()
    {
        m_stop = true;
        m_thread.join();
        if (m_fd >= 0)
            close(m_fd);
    }
    FileArrival(const FileArrival&) = delete;
    FileArrival& operator=(const FileArrival&) = delete;

    // CLOCK_MONOTONIC nanoseconds of the latest arrival, 0 before the first.
    qint64 arrivedAtNs() const { return m_arrivedAt; }

private:
    void watch()
    {
        alignas(inotify_event) char buffer[4096];
        while (!m_stop && m_fd >= 0) {
            pollfd ready{m_fd, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0)
                continue;
            const ssize_t length = read(m_fd, buffer, sizeof buffer);
            const qint64 now = monotonicNs();
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::strcmp(event->name, m_name.constData()) == 0)
                    m_arrivedAt = now;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    QByteArray m_name;
    int m_fd = -1;
    std::atomic<bool> m_stop = false;
    std::atomic<qint64> m_arrivedAt = 0;
    std::thread m_thread;
};

QProcess* makeSearch(const ServiceRun& run, const QString& resultFile, QObject* parent)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), run.proxy());
    auto* cli = new QProcess(parent);
    cli->setProgram(QStringLiteral(QORVIN_CLI_PROGRAM));
    cli->setArguments({QStringLiteral("search"), QStringLiteral("苏轼"), QStringLiteral("-n"),
                       QStringLiteral("300"), QStringLiteral("-q"), QStringLiteral("-o"), resultFile});
    cli->setProcessEnvironment(environment);
    cli->setStandardOutputFile(QProcess::nullDevice());
    return cli;
}

bool runToEnd(QProcess& process)
{
    process.start();
    return process.waitForFinished(TimeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

void BM_CliSearch(benchmark::State& state, ServiceRun* run)
{
    QTemporaryDir folder;
    const QString resultFile = folder.filePath(QStringLiteral("result.htm"));
    FileArrival arrival(folder.path(), QStringLiteral("result.htm"));
    qint64 searches = 0;
    qint64 toResultNs = 0;
    qint64 toExitNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(resultFile);
        settledLog(*run->service);
        QObject owner;
        QProcess& cli = *makeSearch(*run, resultFile, &owner);
        state.ResumeTiming();

        const qint64 startNs = monotonicNs();
        const bool ran = runToEnd(cli);
        const qint64 exitNs = monotonicNs();
        state.PauseTiming();
        // The watcher may still be reading its event when the program has already exited.
        for (int wait = 0; wait < 100 && arrival.arrivedAtNs() < startNs; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const qint64 resultNs = arrival.arrivedAtNs();
        if (!ran || !QFile::exists(resultFile) || resultNs < startNs)
            state.SkipWithError("the search did not write its result page");
        toResultNs += resultNs - startNs;
        toExitNs += exitNs - startNs;
        ++searches;
        state.ResumeTiming();
    }
    settledLog(*run->service);
    const double perSearch = searches ? 1.0 / static_cast<double>(searches) : 0;
    run->cliSecondsPerSearch = static_cast<double>(toResultNs) / 1e9 * perSearch;
    run->cliExitSecondsPerSearch = static_cast<double>(toExitNs) / 1e9 * perSearch;
    state.counters["to_result_ms"] = run->cliSecondsPerSearch * 1e3;
    state.counters["to_exit_ms"] = run->cliExitSecondsPerSearch * 1e3;
    state.counters["pages"] = static_cast<double>(run->searchPages.size());
    state.counters["peak_rss_MB"] = childrenPeakRssMegabytes();
}

// The pages one search asks for, for curl to fetch: the search runs once before the timed runs.
QByteArrayList pagesOfOneSearch(const ServiceRun& run)
{
    QTemporaryDir folder;
    const qsizetype logBefore = settledLog(*run.service).size();
    QObject owner;
    if (!runToEnd(*makeSearch(run, folder.filePath(QStringLiteral("result.htm")), &owner)))
        return {};
    const QByteArrayList log = settledLog(*run.service);
    QByteArrayList pages;
    for (qsizetype i = logBefore; i < log.size(); ++i)
        pages.append(log.at(i).split(' ').value(1));
    return pages;
}

void BM_CurlSamePages(benchmark::State& state, ServiceRun* run)
{
    QStringList arguments{QStringLiteral("--silent"), QStringLiteral("--fail"), QStringLiteral("--proxy"),
                          run->proxy()};
    for (const QByteArray& page : std::as_const(run->searchPages))
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
        settledLog(*run->service);
        state.ResumeTiming();
    }
    state.counters["pages"] = static_cast<double>(run->searchPages.size());
    const double curlSeconds = runs ? static_cast<double>(nanoseconds) / 1e9 / static_cast<double>(runs) : 0;
    if (curlSeconds > 0 && run->cliSecondsPerSearch > 0) {
        state.counters["cli_over_curl"] = run->cliSecondsPerSearch / curlSeconds;
        state.counters["cli_exit_over_curl"] = run->cliExitSecondsPerSearch / curlSeconds;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Test::ServiceProcess local;
    Test::ServiceProcess late;
    for (const auto& [service, arguments] :
         {std::pair{&local, QStringList()},
          std::pair{&late, QStringList{QStringLiteral("--delay-ms"), QStringLiteral("5")}}}) {
        const QString error = service->start(QStringLiteral(QORVIN_SERVICE_PROGRAM), arguments);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    g_local.service = &local;
    g_latency.service = &late;
    for (ServiceRun* run : {&g_local, &g_latency}) {
        run->searchPages = pagesOfOneSearch(*run);
        if (run->searchPages.isEmpty()) {
            std::fprintf(stderr, "the search before the benchmarks failed\n");
            return 1;
        }
    }
    // Each program run is followed by curl on the pages it asked for.
    const std::pair<const char*, ServiceRun*> runs[]{{"", &g_local}, {"Latency", &g_latency}};
    for (const auto& [suffix, run] : runs) {
        benchmark::RegisterBenchmark((std::string("BM_CliSearch300") + suffix).c_str(), BM_CliSearch, run)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("BM_CurlSamePages") + suffix).c_str(), BM_CurlSamePages,
                                     run)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
