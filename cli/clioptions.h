// SPDX-License-Identifier: MIT
// The command line of mp3qorvin-cli: what to crawl, how many songs, and where the results go.
#pragma once

#include "download/songfilename.h"

#include <QString>
#include <QStringList>

namespace Qorvin::Cli {

enum class Command
{
    Search, // search KEYWORD
    Topic,  // topic CAPTION
    Topics, // topics: list the captions
    Help,
    Version,
};

struct CliOptions
{
    Command command = Command::Help;
    QString term;                                      // the keyword as given, or the topic caption
    QString countText = QStringLiteral("30");          // as typed; the crawl converts it
    QString resultFile = QStringLiteral("result.htm"); // -o
    int maxEmptyPages = 3;                             // 0: never give up
    bool json = false;
    QString m3uFile;     // empty: no playlist
    QString downloadDir; // empty: no downloads
    QString nameTemplate = QString::fromUtf16(DefaultNameTemplate); // --name
    bool writeTags = true;                                          // off with --no-tags
    bool quiet = false;
};

// Exit codes of the program.
inline constexpr int ExitDone = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitInterrupted = 130;

struct ParsedCommandLine
{
    CliOptions options;
    QString error; // empty when the command line is usable; otherwise a Chinese message
};

// arguments include the program name first, as QCoreApplication::arguments() gives them.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// The --help text and the --version line.
QString helpText();
QString versionText();

} // namespace Qorvin::Cli
