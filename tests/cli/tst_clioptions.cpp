// SPDX-License-Identifier: MIT
// The command line of mp3qorvin-cli, one row per command line: what it asks for, or that it is
// refused before anything is requested.
#include "cli/clioptions.h"
#include "cli/topiccaptions.h"

#include <QTest>

using namespace Qorvin;
using namespace Qorvin::Cli;

Q_DECLARE_METATYPE(Qorvin::Cli::Command)

class TestCliOptions : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void topicCaptions_data();
    void topicCaptions();
};

void TestCliOptions::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("resultFile");
    QTest::addColumn<int>("maxEmptyPages");
    // json, quiet, m3u, download, name, no-tags in one text: "json quiet m3u=FILE download=DIR
    // name=TEMPLATE no-tags" as set (the name when it is not the default)
    QTest::addColumn<QString>("extras");

    const QString defaultFile = QStringLiteral("result.htm");
    auto row = [](const char* name, std::initializer_list<const char*> arguments) -> QTestData& {
        QStringList commandLine{QStringLiteral("mp3qorvin-cli")};
        for (const char* argument : arguments)
            commandLine.append(QString::fromUtf8(argument));
        return QTest::newRow(name) << commandLine;
    };

    row("search with defaults", {"search", "苏轼"}) << false << Command::Search << "苏轼"
                                                    << "30" << defaultFile << 3 << "";
    row("keyword kept as given", {"search", "  a b  "}) << false << Command::Search << "  a b  "
                                                        << "30" << defaultFile << 3 << "";
    row("options after the keyword",
        {"search", "苏轼", "-n", "60", "-o", "out.htm", "--max-empty-pages", "0"})
        << false << Command::Search << "苏轼"
        << "60"
        << "out.htm" << 0 << "";
    row("long options", {"--count", "2.5", "--output", "x.htm", "search", "k", "--quiet"})
        << false << Command::Search << "k"
        << "2.5"
        << "x.htm" << 3 << "quiet";
    row("negative count is the window's too", {"search", "k", "-n", "-3"}) << false << Command::Search << "k"
                                                                           << "-3" << defaultFile << 3 << "";
    row("count with blanks and exponent", {"search", "k", "-n", " 1e2 "})
        << false << Command::Search << "k"
        << " 1e2 " << defaultFile << 3 << "";
    row("every output", {"search", "k", "--json", "--m3u", "l.m3u", "--download", "songs", "-q"})
        << false << Command::Search << "k"
        << "30" << defaultFile << 3 << "json quiet m3u=l.m3u download=songs";
    row("names and no tags",
        {"search", "k", "--download", "songs", "--name", "{singer}/{n}. {name}", "--no-tags"})
        << false << Command::Search << "k"
        << "30" << defaultFile << 3 << "download=songs name={singer}/{n}. {name} no-tags";
    row("keyword after --", {"search", "--", "-n"}) << false << Command::Search << "-n"
                                                    << "30" << defaultFile << 3 << "";
    row("topic", {"topic", "热门DJ", "-n", "5", "--json"}) << false << Command::Topic << "热门DJ"
                                                           << "5" << defaultFile << 3 << "json";
    row("topics", {"topics"}) << false << Command::Topics << ""
                              << "30" << defaultFile << 3 << "";
    row("help", {"--help"}) << false << Command::Help << ""
                            << "30" << defaultFile << 3 << "";
    row("help wins over a bad count", {"search", "k", "-n", "abc", "-h"}) << false << Command::Help << ""
                                                                          << "30" << defaultFile << 3 << "";
    row("version", {"--version"}) << false << Command::Version << ""
                                  << "30" << defaultFile << 3 << "";

    // Refused with exit status 2.
    const auto refusedRow = [&row](const char* name, std::initializer_list<const char*> arguments) {
        row(name, arguments) << true << Command::Help << ""
                             << ""
                             << "" << 0 << "";
    };
    refusedRow("letters as count", {"search", "k", "-n", "abc"});
    refusedRow("empty count", {"search", "k", "-n", ""});
    refusedRow("count past 32 bits", {"search", "k", "-n", "2147483648"});
    refusedRow("count below 32 bits", {"topic", "热门DJ", "-n", "-2147483649"});
    refusedRow("count missing its value", {"search", "k", "-n"});
    refusedRow("no command", {});
    refusedRow("unknown command", {"find", "k"});
    refusedRow("search without keyword", {"search"});
    refusedRow("topic without caption", {"topic"});
    refusedRow("two keywords", {"search", "苏轼", "柳永"});
    refusedRow("topics with an argument", {"topics", "x"});
    refusedRow("unknown option", {"search", "k", "--fast"});
    refusedRow("empty pages for a topic", {"topic", "热门DJ", "--max-empty-pages", "2"});
    refusedRow("negative empty pages", {"search", "k", "--max-empty-pages", "-1"});
    refusedRow("empty pages not a number", {"search", "k", "--max-empty-pages", "x"});
    refusedRow("empty output file", {"search", "k", "-o", ""});
    refusedRow("empty playlist file", {"search", "k", "--m3u", ""});
    refusedRow("empty download folder", {"search", "k", "--download", ""});
    refusedRow("unknown name field", {"search", "k", "--download", "d", "--name", "{artist}"});
    refusedRow("name without a field", {"search", "k", "--download", "d", "--name", "song"});
    refusedRow("name without downloads", {"search", "k", "--name", "{name}"});
    refusedRow("no tags without downloads", {"topic", "热门DJ", "--no-tags"});
}

void TestCliOptions::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, refused);

    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (refused) {
        QVERIFY(!parsed.error.isEmpty());
        // A message for a Chinese reader, not Qt's English one alone.
        QVERIFY2(std::any_of(parsed.error.cbegin(), parsed.error.cend(),
                             [](QChar c) { return c.unicode() >= 0x4E00; }),
                 qPrintable(parsed.error));
        return;
    }
    QFETCH(Command, command);
    QFETCH(QString, term);
    QFETCH(QString, count);
    QFETCH(QString, resultFile);
    QFETCH(int, maxEmptyPages);
    QFETCH(QString, extras);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    const CliOptions& options = parsed.options;
    QCOMPARE(options.command, command);
    if (command == Command::Search || command == Command::Topic) {
        QCOMPARE(options.term, term);
        QCOMPARE(options.countText, count);
        QCOMPARE(options.resultFile, resultFile);
        QCOMPARE(options.maxEmptyPages, maxEmptyPages);
    }
    QStringList set;
    if (options.json)
        set << QStringLiteral("json");
    if (options.quiet)
        set << QStringLiteral("quiet");
    if (!options.m3uFile.isEmpty())
        set << QStringLiteral("m3u=") + options.m3uFile;
    if (!options.downloadDir.isEmpty())
        set << QStringLiteral("download=") + options.downloadDir;
    if (options.nameTemplate != QString::fromUtf16(DefaultNameTemplate))
        set << QStringLiteral("name=") + options.nameTemplate;
    if (!options.writeTags)
        set << QStringLiteral("no-tags");
    QCOMPARE(set.join(u' '), extras);
}

void TestCliOptions::topicCaptions_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("index"); // -1: no such topic
    QTest::newRow("first") << "新歌TOP100" << 0;
    QTest::newRow("caption that ends in a blank") << "热门DJ" << 8;
    QTest::newRow("blanks around it") << "  电影金曲 " << 2;
    QTest::newRow("last, after the gap at 9") << "情歌对对碰" << 12;
    QTest::newRow("other case") << "热门dj" << -1;
    QTest::newRow("part of a caption") << "热门" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestCliOptions::topicCaptions()
{
    QFETCH(QString, typed);
    QFETCH(int, index);
    const std::optional<TopicEntry> entry = topicByCaption(typed);
    QCOMPARE(entry ? entry->index : -1, index);
    // Every listed caption names its topic.
    const QStringList captions = Cli::topicCaptions();
    QCOMPARE(captions.size(), 12);
    for (const QString& caption : captions)
        QVERIFY2(topicByCaption(caption), qPrintable(caption));
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
