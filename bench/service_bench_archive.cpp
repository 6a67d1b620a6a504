// SPDX-License-Identifier: MIT
// mp3qorvin-cli's 300-song search against mp3qorvin-service --source archive, over a fake archive
// that answers every request 50 ms late: first with nothing kept, then again from the service's
// disk cache (a service started afresh), where the archive is asked nothing.
#include "bench/benchapplication.h"
#include "tests/e2e/serviceprocess.h"
#include "tests/localservice/archivefixtures.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

using namespace Qorvin;
using namespace Qorvin::LocalService::Test;

namespace {

constexpr int Songs = 300;
constexpr int ItemsFound = 40; // of 10 recordings each: more than the search needs

// The fake archive on a thread of its own: the benchmark waits for processes meanwhile.
class FakeArchiveThread
{
public:
    FakeArchiveThread()
    {
        m_thread.start();
        m_anchor.moveToThread(&m_thread);
        onThread([this] {
            m_fake = new FakeArchive;
            m_fake->delayMs = 50;
            QList<QJsonObject> docs;
            for (int i = 0; i < ItemsFound; ++i) {
                const QString id = QStringLiteral("album%1").arg(i);
                docs.append(archiveDoc(id));
                m_fake->addItem(id, archiveAlbum(id, QStringLiteral("Song %1 part").arg(i), 10));
            }
            m_fake->addSearch(QStringLiteral("(bench)"), docs);
            m_port = m_fake->port();
        });
    }
    ~FakeArchiveThread()
    {
        onThread([this] { delete m_fake; });
        m_thread.quit();
        m_thread.wait();
    }
    quint16 port() const { return m_port; }
    // The targets asked for since the last call.
    QList<QByteArray> takeRequests()
    {
        QList<QByteArray> targets;
        onThread([&] {
            for (const FakeRequest& request : std::as_const(m_fake->requests))
                targets.append(request.target);
            m_fake->requests.clear();
        });
        return targets;
    }

private:
    template <typename F> void onThread(F work)
    {
        QMetaObject::invokeMethod(&m_anchor, work, Qt::BlockingQueuedConnection);
    }

    QThread m_thread;
    QObject m_anchor;
    FakeArchive* m_fake = nullptr;
    quint16 m_port = 0;
};

bool runSearch(quint16 servicePort, const QString& folder)
{
    QProcess cli;
    cli.setProgram(QStringLiteral(QORVIN_CLI_PROGRAM));
    cli.setArguments({QStringLiteral("search"), QStringLiteral("bench"), QStringLiteral("-n"),
                      QString::number(Songs), QStringLiteral("-q"), QStringLiteral("-o"),
                      QStringLiteral("bench.htm")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:%1").arg(servicePort));
    cli.setProcessEnvironment(environment);
    cli.setWorkingDirectory(folder);
    cli.start();
    if (!cli.waitForFinished(60000))
        cli.kill();
    const QByteArray out = cli.readAllStandardOutput();
    return cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0 && out.count('\n') == Songs;
}

// The milliseconds the service logged for its result pages, summed, and how many there were.
std::pair<qint64, int> resultPageTimes(Test::ServiceProcess& service)
{
    QCoreApplication::processEvents();
    qint64 sum = 0;
    int pages = 0;
    for (const QByteArray& line : service.requestLog()) {
        if (!line.contains("/m?"))
            continue;
        sum += line.split(' ').last().toLongLong();
        ++pages;
    }
    return {sum, pages};
}

void archiveSearch(benchmark::State& state, bool cached)
{
    Bench::application();
    FakeArchiveThread fake;
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    const QStringList arguments{QStringLiteral("--source"), QStringLiteral("archive"),
                                QStringLiteral("--archive-url"),
                                QStringLiteral("http://127.0.0.1:%1").arg(fake.port())};
    if (cached) {
        Test::ServiceProcess warm;
        if (!warm.start(QStringLiteral(QORVIN_SERVICE_PROGRAM), arguments).isEmpty() ||
            !runSearch(warm.port(), home.path())) {
            state.SkipWithError("the warming search failed");
            return;
        }
        // The pages read ahead of the last one are kept too, once their answers are in.
        QThread::msleep(1000);
        fake.takeRequests();
    }
    qint64 requests = 0;
    qint64 repeated = 0;
    qint64 serviceMs = 0;
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!cached)
            QDir(home.filePath(QStringLiteral("cache"))).removeRecursively();
        auto service = std::make_unique<Test::ServiceProcess>();
        if (const QString error = service->start(QStringLiteral(QORVIN_SERVICE_PROGRAM), arguments);
            !error.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        state.ResumeTiming();
        const bool found = runSearch(service->port(), home.path());
        state.PauseTiming();
        if (!found) {
            state.SkipWithError("the search did not find its 300 songs");
            return;
        }
        const QList<QByteArray> targets = fake.takeRequests();
        requests += targets.size();
        repeated += targets.size() - QSet<QByteArray>(targets.cbegin(), targets.cend()).size();
        const auto [ms, count] = resultPageTimes(*service);
        serviceMs += ms;
        pages += count;
        service.reset();
        state.ResumeTiming();
    }
    const double runs = double(state.iterations());
    state.counters["archive_requests"] = double(requests) / runs;
    state.counters["repeated_requests"] = double(repeated) / runs;
    state.counters["result_pages"] = double(pages) / runs;
    state.counters["service_ms_per_page"] = pages > 0 ? double(serviceMs) / pages : 0;
}

} // namespace

static void BM_ArchiveSearch300(benchmark::State& state)
{
    archiveSearch(state, false);
}
BENCHMARK(BM_ArchiveSearch300)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

static void BM_ArchiveSearch300Cached(benchmark::State& state)
{
    archiveSearch(state, true);
}
BENCHMARK(BM_ArchiveSearch300Cached)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
