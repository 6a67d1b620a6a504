// SPDX-License-Identifier: MIT
// The found songs downloaded into a folder through the download queue, with one progress line
// for the whole batch. The links already complete in a folder are remembered in a file of the
// program's own, so a run into the same folder again skips them instead of saving copies.
#pragma once

#include "cli/progressline.h"
#include "download/downloaditem.h"
#include "download/downloadqueue.h"

#include <QEventLoop>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QStringList>

namespace Qorvin::Cli {

struct DownloadSummary
{
    int done = 0;
    int failed = 0;
    QStringList failures; // "title: reason", one per failed song
    QStringList notices;  // "title: 未写入歌曲信息: reason", one per song done without its tags
    bool interrupted = false;
    // Why the record of complete links could not be read or kept, in Chinese; empty when it was.
    QStringList recordProblems;
};

class FolderDownload : public QObject
{
    Q_OBJECT

public:
    // The record of complete links: cli-downloads.json in the per-user data folder, apart from the
    // window's queue.
    static QString defaultRecordPath();

    // An empty recordPath remembers nothing.
    explicit FolderDownload(ProgressLine& progress, const QString& recordPath = defaultRecordPath(),
                            QObject* parent = nullptr);

    // Returns once every song is done or has failed, or once interrupted. choices name the files
    // and switch the tags on; their caption is the keyword or the topic.
    DownloadSummary run(const QList<DownloadRequest>& songs, const QString& folder,
                        const BatchChoices& choices);
    // Ctrl-C: the transfers stop where they are; their part files stay for a later run.
    void interrupt();

private:
    QString loadRecord();
    void onBatchFinished(const BatchResult& result);

    ProgressLine& m_progress;
    QNetworkAccessManager m_network; // through the program's proxy, as the pages were fetched
    DownloadQueue m_queue;
    QEventLoop m_loop;
    DownloadSummary m_summary;
    int m_batchId = -1;
    bool m_finished = false;
};

} // namespace Qorvin::Cli
