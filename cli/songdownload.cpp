// SPDX-License-Identifier: MIT
#include "songdownload.h"

namespace Qorvin::Cli {

SongDownload::SongDownload(ProgressLine& progress, QObject* parent)
    : QObject(parent), m_progress(progress), m_network(this), m_queue(&m_network, this)
{
    // One run, one batch: nothing is stored for a later session, and the window's stored queue
    // is left alone.
    m_queue.setStorePath({});
    connect(&m_queue, &DownloadQueue::itemChanged, this,
            [this] { m_progress.show(m_queue.progress().text()); });
    connect(&m_queue, &DownloadQueue::batchFinished, this, &SongDownload::onBatchFinished);
}

DownloadSummary SongDownload::run(const QList<SongLink>& links, const QString& folder)
{
    const QList<int> ids = m_queue.add(links, folder, {});
    m_batchId = ids.isEmpty() ? -1 : m_queue.item(ids.constFirst()).batchId;
    m_progress.show(m_queue.progress().text());
    if (!m_finished)
        m_loop.exec();
    m_progress.finish();
    for (const DownloadItem& item : m_queue.items()) {
        if (item.state == DownloadState::Failed)
            m_summary.failures.append(item.title + QStringLiteral(": ") + item.failureReason);
    }
    return m_summary;
}

void SongDownload::interrupt()
{
    if (m_finished)
        return;
    m_queue.pauseAll();
    m_summary.interrupted = true;
    m_finished = true;
    m_loop.quit();
}

void SongDownload::onBatchFinished(const BatchResult& result)
{
    // A batch of no songs has no id to know it by; it is the only one.
    if (m_batchId >= 0 && result.batchId != m_batchId)
        return;
    m_summary.done = result.done;
    m_summary.failed = result.failed;
    m_finished = true;
    m_loop.quit();
}

} // namespace Qorvin::Cli
