// SPDX-License-Identifier: MIT
// mp3qorvin-service: the local stand-in of the MP3 search service, on 127.0.0.1.
#include "localservice/catalogue.h"
#include "localservice/localserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>
#include <limits>
#include <optional>

using namespace Qorvin::LocalService;

namespace {

constexpr qint64 IntMax = std::numeric_limits<int>::max();
// 100 Gbit/s: the byte rate stays far inside 64 bits whatever it is multiplied by.
constexpr qint64 MaxRateKbps = 100'000'000;

std::optional<qint64> numberIn(const QString& text, const QString& name, qint64 max)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > max) {
        std::fprintf(stderr, "mp3qorvin-service: --%s wants a whole number from 0 to %lld\n",
                     qPrintable(name), static_cast<long long>(max));
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> numberOption(const QCommandLineParser& parser, const QString& name, qint64 max)
{
    return numberIn(parser.value(name), name, max);
}

// A repeatable option: every value, or nothing when one is no number.
std::optional<QList<qint64>> numberList(const QCommandLineParser& parser, const QString& name)
{
    QList<qint64> numbers;
    const QStringList values = parser.values(name);
    for (const QString& value : values) {
        const std::optional<qint64> number = numberIn(value, name, std::numeric_limits<qint64>::max());
        if (!number)
            return std::nullopt;
        numbers.append(*number);
    }
    return numbers;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mp3qorvin-service"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QORVIN_VERSION));

    const QString N = QStringLiteral("N");
    const QString Zero = QStringLiteral("0");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The local MP3 search service. Point a program's http_proxy at it: it answers every host."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("port"),
         QStringLiteral("Port on 127.0.0.1; 0 picks a free one. The port is the first line printed."), N,
         Zero},
        {QStringLiteral("delay-ms"), QStringLiteral("Answer every page N ms late."), N, Zero},
        {QStringLiteral("fail-every"),
         QStringLiteral("Every Nth page fails: a 500 page or a reset connection, in turn."), N, Zero},
        {QStringLiteral("stall-every"), QStringLiteral("Every Nth page never completes."), N, Zero},
        {QStringLiteral("drop-after-bytes"),
         QStringLiteral("Close the connection after N body bytes of a file, once per file."), N, Zero},
        {QStringLiteral("rate-kbps"), QStringLiteral("Send file bodies at most N kilobits a second."), N,
         Zero},
        {QStringLiteral("ignore-range"), QStringLiteral("Answer range requests with the whole file (200).")},
        {QStringLiteral("not-mp3-every"),
         QStringLiteral("Every Nth file request gets an HTML page with 200."), N, Zero},
        {QStringLiteral("change-file-every"),
         QStringLiteral("A song's file changes after every N requests for it; If-Range is ignored."), N,
         Zero},
        {QStringLiteral("missing-song"), QStringLiteral("The song with this id answers 404 (repeatable)."),
         QStringLiteral("ID")},
        {QStringLiteral("broken-song"), QStringLiteral("The song with this id answers 500 (repeatable)."),
         QStringLiteral("ID")},
        {QStringLiteral("idle-timeout-ms"),
         QStringLiteral("Close a connection that sent no request for N ms (0: never)."), N,
         QStringLiteral("60000")},
        {QStringLiteral("verbose"), QStringLiteral("Log one line per request on stderr.")},
        {QStringLiteral("source"),
         QStringLiteral(
             "Where the records come from: catalogue (built in) or archive (the Internet Archive)."),
         QStringLiteral("SOURCE"), QStringLiteral("catalogue")},
        {QStringLiteral("archive-url"), QStringLiteral("The Internet Archive's address."),
         QStringLiteral("URL"), QStringLiteral("https://archive.org")},
    });
    parser.process(app);

    const auto port = numberOption(parser, QStringLiteral("port"), 65535);
    const auto delay = numberOption(parser, QStringLiteral("delay-ms"), 600000);
    const auto failEvery = numberOption(parser, QStringLiteral("fail-every"), IntMax);
    const auto stallEvery = numberOption(parser, QStringLiteral("stall-every"), IntMax);
    const auto dropAfter =
        numberOption(parser, QStringLiteral("drop-after-bytes"), std::numeric_limits<qint64>::max());
    const auto rate = numberOption(parser, QStringLiteral("rate-kbps"), MaxRateKbps);
    const auto notMp3Every = numberOption(parser, QStringLiteral("not-mp3-every"), IntMax);
    const auto changeEvery = numberOption(parser, QStringLiteral("change-file-every"), IntMax);
    const auto idleTimeout = numberOption(parser, QStringLiteral("idle-timeout-ms"), IntMax);
    const auto missing = numberList(parser, QStringLiteral("missing-song"));
    const auto broken = numberList(parser, QStringLiteral("broken-song"));
    if (!port || !delay || !failEvery || !stallEvery || !dropAfter || !rate || !notMp3Every || !changeEvery ||
        !idleTimeout || !missing || !broken)
        return 2;

    ServerOptions options;
    options.delayMs = int(*delay);
    options.failEvery = int(*failEvery);
    options.stallEvery = int(*stallEvery);
    options.verbose = parser.isSet(QStringLiteral("verbose"));
    options.dropAfterBytes = *dropAfter;
    options.rateKbps = *rate;
    options.ignoreRange = parser.isSet(QStringLiteral("ignore-range"));
    options.notMp3Every = int(*notMp3Every);
    options.changeFileEvery = int(*changeEvery);
    options.missingSongs = *missing;
    options.brokenSongs = *broken;
    options.idleTimeoutMs = int(*idleTimeout);

    const QString source = parser.value(QStringLiteral("source"));
    if (source == u"archive") {
        options.source = ServerOptions::Source::Archive;
    } else if (source != u"catalogue") {
        std::fprintf(stderr, "mp3qorvin-service: --source wants catalogue or archive\n");
        return 2;
    }
    const QUrl archiveUrl(parser.value(QStringLiteral("archive-url")), QUrl::StrictMode);
    if (!archiveUrl.isValid() || archiveUrl.host().isEmpty() ||
        (archiveUrl.scheme() != u"https" && archiveUrl.scheme() != u"http")) {
        std::fprintf(stderr, "mp3qorvin-service: --archive-url wants an http or https address\n");
        return 2;
    }
    options.archive.address = archiveUrl;
    options.archive.cacheFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/mp3qorvin");

    Catalogue::builtIn(); // read the catalogue before the first request, not during it
    LocalServer server(options);
    if (!server.listen(quint16(*port))) {
        std::fprintf(stderr, "mp3qorvin-service: cannot listen on 127.0.0.1:%d\n", int(*port));
        return 1;
    }
    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);
    if (const QString problem = server.source().startProblem(); !problem.isEmpty())
        std::fprintf(stderr, "mp3qorvin-service: %s\n", qPrintable(problem));
    return QCoreApplication::exec();
}
