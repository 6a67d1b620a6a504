// SPDX-License-Identifier: MIT
// mp3qorvin-cli: the keyword search and the topic crawl of the window, for scripts.
#include "cli/clioptions.h"
#include "cli/crawlrun.h"
#include "cli/environmentproxy.h"
#include "cli/folderdownload.h"
#include "cli/interruptwatcher.h"
#include "cli/progressline.h"
#include "cli/songoutput.h"
#include "cli/topiccaptions.h"
#include "download/folderlock.h"
#include "download/folderreadiness.h"
#include "download/playlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkProxyFactory>

#include <cstdio>
#include <memory>

using namespace Qorvin;
using namespace Qorvin::Cli;
using namespace Qt::StringLiterals;

namespace {

void printTo(std::FILE* out, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
    std::fflush(out);
}

int fail(int exitCode, const QString& message)
{
    printTo(stderr, u"mp3qorvin-cli: "_s.toUtf8() + message.toUtf8() + '\n');
    return exitCode;
}

// Why a file cannot be written there, found without writing: its folder is missing, or the name
// is taken by a folder. Empty when nothing stands in the way.
QString obstacleToWriting(const QString& filePath)
{
    const QFileInfo file(filePath);
    if (!QFileInfo(file.absolutePath()).isDir())
        return u"文件夹不存在。"_s;
    if (file.isDir())
        return u"这是一个文件夹。"_s;
    return {};
}

// Prints the songs and writes the playlist; returns the exit status so far.
int reportSongs(const CliOptions& options, const QList<DownloadRequest>& songs, int exitCode)
{
    const QList<SongEntry> entries = songEntries(songs);
    printTo(stdout, options.json ? songsJson(entries) : songLines(entries));
    if (!options.m3uFile.isEmpty()) {
        const Outcome written = writePlaylist(options.m3uFile, remotePlaylistEntries(songs));
        if (!written.ok)
            exitCode = fail(ExitFailure, u"无法写入播放列表："_s + written.errorString);
    }
    if (!options.quiet)
        printTo(stderr, u"共 %1 首歌，结果页已写入 %2\n"_s.arg(entries.size())
                            .arg(QDir::toNativeSeparators(options.resultFile))
                            .toUtf8());
    return exitCode;
}

int downloadSongs(const CliOptions& options, const QList<DownloadRequest>& songs, ProgressLine& progress,
                  InterruptWatcher& interrupts)
{
    FolderDownload download(progress);
    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &download, &FolderDownload::interrupt);
    const DownloadSummary summary = download.run(
        songs, options.downloadDir, {options.nameTemplate, options.writeTags, options.term.trimmed()});
    for (const QString& problem : summary.recordProblems)
        fail(ExitDone, problem);
    // A song without its tags is still a song: said, but no failure.
    for (const QString& notice : summary.notices)
        fail(ExitDone, notice);
    if (summary.interrupted)
        return fail(ExitInterrupted, u"下载已中断，已完成 %1 首。"_s.arg(summary.done));
    if (summary.failed > 0)
        return fail(ExitFailure,
                    u"%1 首歌下载失败:\n  "_s.arg(summary.failed) + summary.failures.join(u"\n  "_s));
    if (!options.quiet)
        printTo(stderr, u"已下载 %1 首歌到 %2\n"_s.arg(summary.done)
                            .arg(QDir::toNativeSeparators(options.downloadDir))
                            .toUtf8());
    return ExitDone;
}

int crawl(const CliOptions& options)
{
    std::optional<TopicEntry> topic;
    if (options.command == Command::Topic) {
        topic = topicByCaption(options.term);
        if (!topic)
            return fail(ExitUsage, u"没有名为 “"_s + options.term +
                                       u"” 的专题。用 mp3qorvin-cli topics 列出全部专题。"_s);
    }
    // Checked before anything is requested: a crawl whose results cannot be kept is wasted.
    for (const QString& file : {options.resultFile, options.m3uFile}) {
        const QString obstacle = file.isEmpty() ? QString() : obstacleToWriting(file);
        if (!obstacle.isEmpty())
            return fail(ExitFailure, u"无法写入 "_s + QDir::toNativeSeparators(file) + u": "_s + obstacle);
    }

    // The download folder too, and it stays this program's until the run ends: a second run into
    // it would fetch the same songs beside this one.
    std::shared_ptr<FolderLock> downloadFolder;
    if (!options.downloadDir.isEmpty()) {
        if (const QString problem = folderProblem(options.downloadDir); !problem.isEmpty())
            return fail(ExitFailure, problem);
        downloadFolder = FolderLock::acquire(options.downloadDir);
        if (!downloadFolder)
            return fail(ExitFailure, folderInUseText(options.downloadDir));
    }

    QNetworkProxyFactory::setApplicationProxyFactory(EnvironmentProxyFactory::fromEnvironment());
    ProgressLine progress(ProgressLine::styleForStderr(options.quiet));
    InterruptWatcher interrupts(ExitInterrupted);
    CrawlOutcome outcome;
    {
        CrawlRun run(CrawlSettings{options.countText, options.resultFile, options.maxEmptyPages}, progress);
        const QMetaObject::Connection stop =
            QObject::connect(&interrupts, &InterruptWatcher::interrupted, &run, &CrawlRun::interrupt);
        outcome = topic ? run.topic(topic->index) : run.search(options.term);
        QObject::disconnect(stop);
    }
    if (!outcome.message.isEmpty())
        fail(outcome.exitCode, outcome.message);
    if (!outcome.resultWritten)
        return outcome.exitCode;

    const QList<DownloadRequest> songs = foundSongs(outcome.titles, outcome.links);
    const int exitCode = reportSongs(options, songs, outcome.exitCode);
    if (options.downloadDir.isEmpty() || exitCode != ExitDone)
        return exitCode;
    return downloadSongs(options, songs, progress, interrupts);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Names the per-user data folder, whatever name the program was started by.
    QCoreApplication::setApplicationName(u"mp3qorvin-cli"_s);
    const ParsedCommandLine parsed = parseCommandLine(QCoreApplication::arguments());
    if (!parsed.error.isEmpty())
        return fail(ExitUsage, parsed.error + u"\n用 mp3qorvin-cli --help 查看用法。"_s);

    switch (parsed.options.command) {
    case Command::Help:
        printTo(stdout, helpText().toUtf8());
        return ExitDone;
    case Command::Version:
        printTo(stdout, versionText().toUtf8());
        return ExitDone;
    case Command::Topics:
        printTo(stdout, topicCaptions().join(u'\n').toUtf8() + '\n');
        return ExitDone;
    case Command::Search:
    case Command::Topic:
        break;
    }
    return crawl(parsed.options);
}
