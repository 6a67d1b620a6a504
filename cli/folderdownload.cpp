// SPDX-License-Identifier: MIT
#include "cli/folderdownload.h"

#include "download/queuestore.h"
#include "download/sharedstore.h"

#include <QDir>
#include <QStandardPaths>

namespace Qorvin::Cli {

using namespace Qt::StringLiterals;

QString FolderDownload::defaultRecordPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(u"cli-downloads.json"_s);
}

FolderDownload::FolderDownload(ProgressLine& progress, const QString& recordPath, QObject* parent)
    : QObject(parent), m_progress(progress), m_network(this), m_queue(&m_network, this)
{
    m_queue.setStorePath(recordPath);
    connect(&m_queue, &DownloadQueue::itemChanged, this,
            [this] { m_progress.show(m_queue.progress().text()); });
    connect(&m_queue, &DownloadQueue::batchFinished, this, &FolderDownload::onBatchFinished);
}

QString FolderDownload::loadRecord()
{
    const QString path = m_queue.storePath();
    if (path.isEmpty())
        return {};
    QueueStore record;
    const Outcome read = readQueueStore(path, &record);
    if (!read.ok)
        return read.errorString;
    // The songs of an earlier run cut short are not brought back: as paused items they would
    // keep their file names, and this run would save copies beside them. This run continues
    // their part files itself when it has the same links.
    if (!record.batches.isEmpty()) {
        record.batches.clear();
        const Outcome written = saveSharedStore(path, record);
        if (!written.ok)
            return written.errorString;
    }
    const Outcome loaded = m_queue.load();
    return loaded.ok ? QString() : loaded.errorString;
}

DownloadSummary FolderDownload::run(const QList<DownloadRequest>& songs, const QString& folder,
                                    const BatchChoices& choices)
{
    // Without the record the songs are still downloaded; complete ones may be saved again as copies.
    if (const QString problem = loadRecord(); !problem.isEmpty())
        m_summary.recordProblems.append(problem);
    m_batchId = m_queue.add(songs, folder, {}, choices);
    m_progress.show(m_queue.progress().text());
    if (!m_finished)
        m_loop.exec();
    m_progress.finish();
    int done = 0;
    for (const DownloadItem& item : m_queue.items()) {
        if (item.batchId != m_batchId)
            continue;
        if (item.state == DownloadState::Done)
            ++done;
        if (item.state == DownloadState::Failed)
            m_summary.failures.append(item.title + u": "_s + item.failureReason);
        else if (item.state == DownloadState::Done && !item.notice.isEmpty())
            m_summary.notices.append(item.title + u": "_s + item.notice);
    }
    // A batch stopped by Ctrl-C never finishes: its songs done so far are counted here.
    if (m_summary.interrupted)
        m_summary.done = done;
    // Also after Ctrl-C: the songs complete by then are skipped next time.
    // A record this run may not overwrite is named once, when it was read.
    if (const Outcome saved = m_queue.save();
        !saved.ok && !m_summary.recordProblems.contains(saved.errorString))
        m_summary.recordProblems.append(saved.errorString);
    return m_summary;
}

void FolderDownload::interrupt()
{
    if (m_finished)
        return;
    m_queue.pauseAll();
    m_summary.interrupted = true;
    m_finished = true;
    m_loop.quit();
}

void FolderDownload::onBatchFinished(const BatchResult& result)
{
    // The queue runs one batch here; one that ends inside add() is this one too.
    if (m_batchId >= 0 && result.batchId != m_batchId)
        return;
    m_summary.done = result.done;
    m_summary.failed = result.failed;
    m_finished = true;
    m_loop.quit();
}

} // namespace Qorvin::Cli
