// SPDX-License-Identifier: MIT
// The program's crawl against the local service next to the bare engine loading the same pages:
// what the program adds (innerHTML, serializer, scrapers, dispatcher, writer) on top of the
// engine, on the offscreen platform and on an X display (xcb). Also the start of the program to a
// window that takes input, and peak memory.
#include "app/browser/softwarerendering.h"
#include "app/browser/webbrowser.h"
#include "app/demo/windowdriver.h"
#include "app/window/frmmain.h"
#include "bench/virtualdisplay.h"
#include "tests/e2e/serviceprocess.h"

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

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

extern char** environ;

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

// Until the window has painted itself and the keyword box takes keys.
bool waitUntilAcceptingInput(frmMain& window)
{
    if (!QTest::qWaitForWindowExposed(&window, TimeoutMs))
        return false;
    // Without a window manager (Xvfb) nobody else gives the window on view the keyboard.
    window.activateWindow();
    const auto* box = window.findChild<QLineEdit*>(QStringLiteral("TextSearch1"));
    return box && box->isEnabled() && QTest::qWaitFor([box] { return box->hasFocus(); }, TimeoutMs);
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

struct Timing
{
    qint64 ns = -1;
    const char* error = nullptr; // nullptr when ns holds a time
};

// Counts the window's repaints: each update request redraws the window's dirty controls and puts
// them on the screen.
class RepaintCounter : public QObject
{
public:
    explicit RepaintCounter(QWidget& window) { window.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest)
            ++count;
        return false;
    }
};

// One keyword search for WantedSongs in a fresh window, from the Enter key to result.htm on
// view; remembers the pages it asked for, for the bare engine.
Timing timedKeywordSearch(qsizetype& songs, int& repaints)
{
    std::unique_ptr<frmMain> window = openWindow();
    if (!waitUntilAcceptingInput(*window))
        return {-1, "the window did not take input"};
    WindowDriver driver(*window);
    driver.typeInto(driver.countBox(), QString::number(WantedSongs));
    driver.typeInto(driver.keywordBox(), keyword());
    const qsizetype logBefore = g_service->requestLog().size();
    RepaintCounter repaintCounter(*window);

    QElapsedTimer clock;
    clock.start();
    driver.pressEnterInKeywordBox();
    const bool shown = driver.waitForResultShown(TimeoutMs);
    const qint64 elapsed = clock.nsecsElapsed();
    repaints = repaintCounter.count;

    g_searchPages = searchPagesRequestedSince(logBefore);
    g_searchPages.append(driver.browser()->documentUrl()); // result.htm, as the program shows it
    g_browserSize = driver.browser()->size();
    songs = driver.foundSongs().size();
    window.reset();
    QCoreApplication::processEvents();
    if (!shown)
        return {-1, "no result page"};
    return {elapsed, nullptr};
}

QList<QUrl> defaultSearchPages()
{
    QList<QUrl> pages;
    for (int i = 0; i < PagesOfWantedSongs; ++i)
        pages.append(QUrl::fromEncoded("http://mp3.baidu.com/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1"
                                       "&bu=&rn=30&tn=baidump3&word=%CB%D5%E9%F8&pn=" +
                                       QByteArray::number(i * 30)));
    return pages;
}

// Loads pages one after another in page, each once it has finished the one before; with
// readHtml, also fetches each page's outerHTML, the engine's part of reading a page.
void loadOneAfterAnother(QWebEnginePage* page, const QList<QUrl>& pages, bool readHtml)
{
    for (const QUrl& url : pages) {
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

// The bare engine as the program starts it for a search: a fresh in-memory profile and a visible
// view of the browser's size, exposed before the clock starts.
Timing timedBareEngine(const QList<QUrl>& pages)
{
    QWebEngineProfile profile;
    profile.setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    QWebEngineView view;
    auto* page = new QWebEnginePage(&profile, &view);
    view.setPage(page);
    view.resize(g_browserSize);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view, TimeoutMs))
        return {-1, "the bare engine's view was not shown"};
    QElapsedTimer clock;
    clock.start();
    loadOneAfterAnother(page, pages, false);
    return {clock.nsecsElapsed(), nullptr};
}

// The program's search and the bare engine on the same pages, one after the other in every
// iteration, so that both see the same load on a shared machine. The iteration time is the
// program's; ratio is the program's total over the engine's.
void BM_KeywordSearchVsBareEngine(benchmark::State& state)
{
    double programNs = 0;
    double bareNs = 0;
    qsizetype songs = 0;
    int repaints = 0;
    for (auto _ : state) {
        const Timing program = timedKeywordSearch(songs, repaints);
        const Timing bare = program.error ? program : timedBareEngine(g_searchPages);
        if (bare.error) {
            state.SkipWithError(bare.error);
            break;
        }
        programNs += static_cast<double>(program.ns);
        bareNs += static_cast<double>(bare.ns);
        state.SetIterationTime(static_cast<double>(program.ns) / 1e9);
    }
    if (bareNs <= 0)
        return;
    const double iterations = static_cast<double>(state.iterations());
    state.counters["program_ms"] = programNs / 1e6 / iterations;
    state.counters["bare_engine_ms"] = bareNs / 1e6 / iterations;
    state.counters["ratio"] = programNs / bareNs;
    state.counters["pages"] = static_cast<double>(g_searchPages.size()); // result.htm included
    state.counters["songs"] = static_cast<double>(songs);
    state.counters["window_repaints"] = repaints; // in the last search
    state.counters["peak_rss_MB"] = peakRssMegabytes();
    state.counters["engine_peak_rss_MB"] = enginePeakRssMegabytes();
}

// The bare engine in one view of the browser's size, the same view for every iteration: the
// pages the search asked for and then result.htm, nothing read from them (or only their
// outerHTML).
void BM_BareEngineSamePages(benchmark::State& state)
{
    const bool readHtml = state.range(0) != 0;
    if (g_searchPages.isEmpty())
        g_searchPages = defaultSearchPages();
    QWebEngineProfile profile;
    QWebEngineView view;
    auto* page = new QWebEnginePage(&profile, &view);
    view.setPage(page);
    view.resize(g_browserSize);
    view.show();
    for (auto _ : state)
        loadOneAfterAnother(page, g_searchPages, readHtml);
    state.counters["pages"] = static_cast<double>(g_searchPages.size()); // result.htm included
}

// The platform a run measures, taken out of the arguments: "--platform=xcb" or "--platform=offscreen".
QByteArray takePlatformArgument(int& argc, char** argv)
{
    const QByteArray option("--platform=");
    QByteArray platform;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (i > 0 && argument.startsWith(option))
            platform = argument.mid(option.size());
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return platform;
}

// Without a platform chosen, the benchmark runs itself once on each: offscreen, then xcb on a
// real (or virtual) X display. A --benchmark_out file gets the platform in its name.
int runOnEveryPlatform(int argc, char** argv)
{
    int failures = 0;
    for (const char* platform : {"offscreen", "xcb"}) {
        std::vector<QByteArray> arguments{argv[0], QByteArray("--platform=") + platform};
        for (int i = 1; i < argc; ++i) {
            QByteArray argument(argv[i]);
            if (argument.startsWith("--benchmark_out=")) {
                const qsizetype dot = argument.lastIndexOf('.');
                argument.insert(dot > argument.indexOf('=') ? dot : argument.size(),
                                QByteArray("-") + platform);
            }
            arguments.push_back(argument);
        }
        std::vector<char*> childArgv;
        for (QByteArray& argument : arguments)
            childArgv.push_back(argument.data());
        childArgv.push_back(nullptr);
        pid_t child = -1;
        int status = 0;
        fflush(stdout);
        if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, childArgv.data(), environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    g_sinceMain.start();
    const QByteArray platform = takePlatformArgument(argc, argv);
    if (platform.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return runOnEveryPlatform(argc, argv);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    Qorvin::Bench::VirtualDisplay display;
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
        const QString error = display.start();
        if (!error.isEmpty()) {
            fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        qputenv("DISPLAY", display.name());
        g_sinceMain.start(); // a user's display is up before the program starts
    }
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // What the program does in main.
    Qorvin::useSoftwareRendering();
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

    const std::string platformName = QGuiApplication::platformName().toStdString();
    benchmark::RegisterBenchmark(("BM_KeywordSearchVsBareEngine/platform:" + platformName).c_str(),
                                 BM_KeywordSearchVsBareEngine)
        ->UseManualTime()
        ->MinTime(3.0)
        ->Unit(benchmark::kMillisecond);
    // After the search, whose pages it loads.
    benchmark::RegisterBenchmark("BM_BareEngineSamePages", BM_BareEngineSamePages)
        ->Arg(0)
        ->Arg(1)
        ->ArgName("read_outer_html")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
