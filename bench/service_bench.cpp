// SPDX-License-Identifier: MIT
#include "bench/benchapplication.h"
#include "localservice/catalogue.h"
#include "localservice/gbkcodec.h"
#include "localservice/localserver.h"
#include "localservice/pagegenerator.h"
#include "localservice/songaudio.h"
#include "localservice/topiclists.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>

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

// Making a song's file, in the chunks a connection sends: what serving costs besides the socket.
static void BM_SongFileChunks(benchmark::State& state)
{
    const SongFile file = SongAudio::fileOf(1448);
    constexpr qint64 Chunk = 64 * 1024;
    for (auto _ : state) {
        for (qint64 at = 0; at < file.size(); at += Chunk)
            benchmark::DoNotOptimize(file.read(at, Chunk));
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_SongFileChunks)->Unit(benchmark::kMillisecond);

namespace {

// The service on a thread of its own, as a process of its own would be.
class ServiceThread
{
public:
    ServiceThread()
    {
        m_thread.start();
        m_anchor.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_anchor,
            [this] {
                m_server = new LocalServer;
                m_server->listen();
                m_port = m_server->port();
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServiceThread()
    {
        QMetaObject::invokeMethod(
            &m_anchor, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 port() const { return m_port; }

private:
    QThread m_thread;
    QObject m_anchor;
    LocalServer* m_server = nullptr;
    quint16 m_port = 0;
};

} // namespace

// One whole file over a kept-alive loopback connection, as a download fetches it.
static void BM_ServeSongFile(benchmark::State& state)
{
    Qorvin::Bench::application();
    const ServiceThread service;
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, service.port());
    if (!client.waitForConnected(5000)) {
        state.SkipWithError("cannot connect");
        return;
    }
    const qint64 size = SongAudio::fileOf(1448).size();
    const QByteArray request = "GET /mirror1/1448.mp3 HTTP/1.1\r\nHost: x\r\n\r\n";
    for (auto _ : state) {
        client.write(request);
        qint64 received = 0;
        while (received < size && client.waitForReadyRead(5000))
            received += client.readAll().size();
        if (received < size) {
            state.SkipWithError("the answer did not come");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_ServeSongFile)->Unit(benchmark::kMillisecond)->UseRealTime();
