// SPDX-License-Identifier: MIT
// The program's crawl against the local service next to the bare engine loading the same pages:
// what the program adds (innerHTML, serializer, scrapers, dispatcher, writer) on top of the
// engine. Also the start of the program to a window that takes input, and peak memory.
#include "frmmain.h"
#include "serviceprocess.h"
#include "webbrowser.h"
#include "windowdriver.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <sys/resource.h>
#include <unistd.h>

#include <memory>

using namespace Qorvin;

namespace {

constexpr int TimeoutMs = 60000;
constexpr int WantedSongs = 300;
constexpr int PagesOfWantedSongs = 10;

QElapsedTimer g_sinceMain;
Qorvin::Test::ServiceProcess* g_service = nullptr;
// The search pages the program asked for in its last keyword search, for the bare engine to load.
QList<QUrl> g_searchPages;
// WebBrowser1's size once the window at its design size has laid it out.
QSize g_browserSize(736, 547);

QString keyword()
{
    return QStringLiteral("苏轼");
}

QList<QUrl> searchPagesRequestedSince(qsizetype logLine)
{
    QList<QUrl> pages;
    const QByteArrayList log = g_service->requestLog();
    for (qsizetype i = logLine; i < log.size(); ++i) {
        const QByteArray target = log.at(i).split(' ').value(1);
        if (target.contains("tn=baidump3") &&
            (pages.isEmpty() || pages.constLast() != QUrl::fromEncoded(target)))
            pages.append(QUrl::fromEncoded(target));
    }
    return pages;
}

double peakRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The engine renders in processes of its own; their peaks count towards the program's memory.
double enginePeakRssMegabytes()
{
    double total = 0;
    const QString self = QString::number(getpid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : entries) {
        QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.value(1) != self.toLatin1() || !line.contains("(QtWebEngine"))
            continue;
        QFile status(QStringLiteral("/proc/") + pid + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& statusLine : status.readAll().split('\n')) {
            if (statusLine.startsWith("VmHWM:"))
                total += statusLine.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return total;
}

std::unique_ptr<frmMain> openWindow()
{
    auto window = std::make_unique<frmMain>([](const QString&) {});
    window->showCentred();
    return window;
}

// Until the window has drawn itself and the keyword box takes keys.
bool waitUntilAcceptingInput(frmMain& window)
{
    if (!QTest::qWaitForWindowExposed(&window, TimeoutMs))
        return false;
    QCoreApplication::processEvents();
    const auto* box = window.findChild<QLineEdit*>(QStringLiteral("TextSearch1"));
    return box && box->hasFocus() && box->isEnabled();
}

void BM_ColdStartToInput(benchmark::State& state)
{
    // Once per process: from main() to the first window taking input, the engine's start included.
    for (auto _ : state) {
        std::unique_ptr<frmMain> window = openWindow();
        if (!waitUntilAcceptingInput(*window))
            state.SkipWithError("the window did not take input");
        state.SetIterationTime(static_cast<double>(g_sinceMain.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_ColdStartToInput)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WindowToInput(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<frmMain> window = openWindow();
        if (!waitUntilAcceptingInput(*window))
            state.SkipWithError("the window did not take input");
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowToInput)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KeywordSearch300Songs(benchmark::State& state)
{
    qsizetype pages = 0;
    qsizetype songs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<frmMain> window = openWindow();
        WindowDriver driver(*window);
        driver.typeInto(driver.countBox(), QString::number(WantedSongs));
        driver.typeInto(driver.keywordBox(), keyword());
        const qsizetype logBefore = g_service->requestLog().size();
        state.ResumeTiming();

        driver.pressEnterInKeywordBox();
        if (!driver.waitForResultShown(TimeoutMs))
            state.SkipWithError("no result page");

        state.PauseTiming();
        g_searchPages = searchPagesRequestedSince(logBefore);
        pages = g_searchPages.size();
        g_searchPages.append(driver.browser()->documentUrl()); // result.htm, as the program shows it
        g_browserSize = driver.browser()->size();
        songs = driver.foundSongs().size();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["songs"] = static_cast<double>(songs);
    state.counters["peak_rss_MB"] = peakRssMegabytes();
    state.counters["engine_peak_rss_MB"] = enginePeakRssMegabytes();
}
BENCHMARK(BM_KeywordSearch300Songs)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bare engine in a view of the browser's size: the pages the search asked for and then
// result.htm, one after another, nothing read from them (or only their outerHTML, the engine's
// part of reading a page).
void BM_BareEngineSamePages(benchmark::State& state)
{
    const bool readHtml = state.range(0) != 0;
    if (g_searchPages.isEmpty()) {
        for (int i = 0; i < PagesOfWantedSongs; ++i)
            g_searchPages.append(
                QUrl::fromEncoded("http://mp3.baidu.com/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1"
                                  "&bu=&rn=30&tn=baidump3&word=%CB%D5%E9%F8&pn=" +
                                  QByteArray::number(i * 30)));
    }
    QWebEngineProfile profile;
    QWebEngineView view;
    auto* page = new QWebEnginePage(&profile, &view);
    view.setPage(page);
    view.resize(g_browserSize);
    view.show();
    for (auto _ : state) {
        for (const QUrl& url : std::as_const(g_searchPages)) {
            QEventLoop loop;
            QObject::connect(page, &QWebEnginePage::loadFinished, &loop, [&loop, page, readHtml](bool) {
                if (!readHtml) {
                    loop.quit();
                    return;
                }
                page->runJavaScript(QStringLiteral("document.documentElement.outerHTML"),
                                    QWebEngineScript::ApplicationWorld, [&loop](const QVariant& html) {
                                        benchmark::DoNotOptimize(html.toString().size());
                                        loop.quit();
                                    });
            });
            page->load(url);
            loop.exec();
        }
    }
    state.counters["pages"] = static_cast<double>(g_searchPages.size()); // result.htm included
}
BENCHMARK(BM_BareEngineSamePages)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("read_outer_html")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    g_sinceMain.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    Qorvin::Test::ServiceProcess service;
    const QString error = service.start(QStringLiteral(QORVIN_SERVICE_PROGRAM));
    if (!error.isEmpty()) {
        fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    service.becomeSystemProxy();
    g_service = &service;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
