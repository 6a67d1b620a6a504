// SPDX-License-Identifier: MIT
// mp3qorvin-service: the local stand-in of the MP3 search service, on 127.0.0.1.
#include "catalogue.h"
#include "localserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <limits>
#include <optional>

using namespace Qorvin::LocalService;

namespace {

std::optional<int> numberOption(const QCommandLineParser& parser, const QString& name, int max)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0 || value > max) {
        std::fprintf(stderr, "mp3qorvin-service: --%s wants a whole number from 0 to %d\n", qPrintable(name),
                     max);
        return std::nullopt;
    }
    return value;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mp3qorvin-service"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QORVIN_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The local MP3 search service. Point a program's http_proxy at it: it answers every host."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("port"),
         QStringLiteral("Port on 127.0.0.1; 0 picks a free one. The port is the first line "
                        "printed."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("delay-ms"), QStringLiteral("Answer every page N ms late."), QStringLiteral("N"),
         QStringLiteral("0")},
        {QStringLiteral("fail-every"),
         QStringLiteral("Every Nth page fails: a 500 page or a reset connection, in turn."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("stall-every"), QStringLiteral("Every Nth page never completes."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("verbose"), QStringLiteral("Log one line per request on stderr.")},
    });
    parser.process(app);

    const auto port = numberOption(parser, QStringLiteral("port"), 65535);
    const auto delay = numberOption(parser, QStringLiteral("delay-ms"), 600000);
    const auto failEvery =
        numberOption(parser, QStringLiteral("fail-every"), std::numeric_limits<int>::max());
    const auto stallEvery =
        numberOption(parser, QStringLiteral("stall-every"), std::numeric_limits<int>::max());
    if (!port || !delay || !failEvery || !stallEvery)
        return 2;

    Catalogue::builtIn(); // read the catalogue before the first request, not during it
    LocalServer server(
        ServerOptions{*delay, *failEvery, *stallEvery, parser.isSet(QStringLiteral("verbose"))});
    if (!server.listen(quint16(*port))) {
        std::fprintf(stderr, "mp3qorvin-service: cannot listen on 127.0.0.1:%d\n", *port);
        return 1;
    }
    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
