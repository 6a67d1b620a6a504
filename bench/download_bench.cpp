// SPDX-License-Identifier: MIT
#include "download/downloadqueue.h"
#include "tests/e2e/serviceprocess.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace Qorvin;

namespace {

constexpr int BatchSongs = 30;
constexpr int FirstSong = 1;

Qorvin::Test::ServiceProcess* g_service = nullptr;

QString songUrl(int song)
{
    return QStringLiteral("http://mp3.qorvin-bench.example/mirror1/%1.mp3").arg(song);
}

QList<DownloadRequest> batchLinks()
{
    QList<DownloadRequest> links;
    for (int song = FirstSong; song < FirstSong + BatchSongs; ++song)
        links.append({QUrl(songUrl(song)), QStringLiteral("歌曲 %1").arg(song), song});
    return links;
}

// Resident and peak resident memory of this process in kB, from /proc/self/status.
qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// CPU time (user and system) in milliseconds of this process, every thread included, or of its
// children that have ended.
double cpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double perHundredMb(double cpuMs, qint64 bytes)
{
    return bytes > 0 ? cpuMs * 100e6 / double(bytes) : 0;
}

// Lets the peak resident size start again from the current size.
void resetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QJsonObject serviceStats(quint16 port)
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    const QString url = QStringLiteral("http://127.0.0.1:%1/_stats").arg(port);
    QNetworkReply* reply = network.get(QNetworkRequest(QUrl(url)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return QJsonDocument::fromJson(reply->readAll()).object();
}

// Runs the queue on links until the batch ends; false when a song failed.
bool downloadBatch(const QList<DownloadRequest>& links, const QString& folder, int* done)
{
    DownloadQueue queue; // its own manager, through http_proxy
    queue.setStorePath(QString());
    QEventLoop loop;
    QObject::connect(&queue, &DownloadQueue::batchFinished, &loop, [&](const BatchResult& result) {
        *done = result.done;
        loop.quit();
    });
    queue.add(links, folder, QStringLiteral("bench"));
    loop.exec();
    return *done == links.size();
}

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.mp3")}, QDir::Files))
        total += file.size();
    return total;
}

} // namespace

static void BM_DownloadBatch(benchmark::State& state)
{
    qint64 bytes = 0;
    qint64 allBytes = 0;
    double peakGrowthMb = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        resetPeakRss();
        const qint64 rssBefore = statusKb("VmRSS:");
        const double cpuBefore = cpuMs(RUSAGE_SELF);
        state.ResumeTiming();
        int done = 0;
        if (!downloadBatch(batchLinks(), folder.path(), &done)) {
            state.SkipWithError("a song failed");
            return;
        }
        state.PauseTiming();
        cpu += cpuMs(RUSAGE_SELF) - cpuBefore;
        peakGrowthMb = std::max(peakGrowthMb, double(statusKb("VmHWM:") - rssBefore) / 1024.0);
        bytes = folderBytes(folder.path());
        allBytes += bytes;
        // The files go while the clock is stopped: deleting synced files costs the file system
        // more than deleting ones still in the cache, and neither is part of a download.
        folder.remove();
        state.ResumeTiming();
    }
    state.counters["peak_rss_growth_MB"] = peakGrowthMb;
    state.counters["cpu_ms_per_100MB"] = perHundredMb(cpu, allBytes);
    state.counters["batch_MB"] = double(bytes) / 1e6;
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_DownloadBatch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same 30 files by curl, three at once, through the same proxy.
static void BM_CurlBatch(benchmark::State& state)
{
    qint64 bytes = 0;
    qint64 allBytes = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        const double cpuBefore = cpuMs(RUSAGE_CHILDREN);
        QStringList arguments{
            QStringLiteral("--silent"),       QStringLiteral("--show-error"),
            QStringLiteral("--fail"),         QStringLiteral("--parallel"),
            QStringLiteral("--parallel-max"), QStringLiteral("3"),
            QStringLiteral("--proxy"),        QStringLiteral("http://127.0.0.1:%1").arg(g_service->port())};
        for (int song = FirstSong; song < FirstSong + BatchSongs; ++song)
            arguments << songUrl(song) << QStringLiteral("-o")
                      << QDir(folder.path()).filePath(QStringLiteral("%1.mp3").arg(song));
        QProcess curl;
        state.ResumeTiming();
        curl.start(QStringLiteral("curl"), arguments);
        if (!curl.waitForFinished(600'000) || curl.exitCode() != 0) {
            state.SkipWithError("curl failed");
            return;
        }
        state.PauseTiming();
        cpu += cpuMs(RUSAGE_CHILDREN) - cpuBefore;
        bytes = folderBytes(folder.path());
        allBytes += bytes;
        folder.remove();
        state.ResumeTiming();
    }
    state.counters["cpu_ms_per_100MB"] = perHundredMb(cpu, allBytes);
    state.counters["batch_MB"] = double(bytes) / 1e6;
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_CurlBatch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// One song dropped halfway by a second service, then continued by the queue's retry: what the
// service sent beyond the file's size is the cost of the interruption.
static void BM_DownloadResume(benchmark::State& state)
{
    int song = 40;
    double refetchedMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++song;
        // The files are the same in every service process, so the main one tells the size.
        QTemporaryDir sizing;
        int done = 0;
        g_service->becomeSystemProxy();
        downloadBatch({{QUrl(songUrl(song)), QStringLiteral("size")}}, sizing.path(), &done);
        const qint64 size = folderBytes(sizing.path());
        Qorvin::Test::ServiceProcess dropping;
        const QString error =
            dropping.start(QStringLiteral(QORVIN_SERVICE_PROGRAM),
                           {QStringLiteral("--drop-after-bytes"), QString::number(size / 2)});
        if (size <= 0 || !error.isEmpty()) {
            state.SkipWithError("no dropping service");
            return;
        }
        dropping.becomeSystemProxy();
        QTemporaryDir folder;
        state.ResumeTiming();
        if (!downloadBatch({{QUrl(songUrl(song)), QStringLiteral("resume")}}, folder.path(), &done)) {
            state.SkipWithError("the song failed");
            return;
        }
        state.PauseTiming();
        const qint64 sent =
            qint64(serviceStats(dropping.port()).value(QStringLiteral("bodyBytesSent")).toDouble());
        refetchedMb = std::max(refetchedMb, double(sent - size) / 1e6);
        g_service->becomeSystemProxy();
        state.ResumeTiming();
    }
    state.counters["refetched_MB"] = refetchedMb;
}
BENCHMARK(BM_DownloadResume)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Qorvin::Test::ServiceProcess service;
    const QString error = service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM));
    if (!error.isEmpty()) {
        fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // The queues make their own managers, which go through http_proxy as the program's do.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    service.becomeSystemProxy();
    g_service = &service;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
