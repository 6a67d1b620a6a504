// SPDX-License-Identifier: MIT
#include "app/downloads/downloadstatuspanel.h"

#include "download/downloadqueue.h"

#include <QMouseEvent>

namespace Qorvin {

DownloadStatusPanel::DownloadStatusPanel(DownloadQueue& queue, QWidget* parent)
    : QLabel(parent), m_queue(queue)
{
    setObjectName(QStringLiteral("DownloadPanel"));
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("点击打开下载管理"));
    setContentsMargins(6, 0, 6, 0);
    // Every item reports its progress on its own; the sum over the queue is taken once for all of
    // the reports that arrive together.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &DownloadStatusPanel::refresh);
    const auto scheduleRefresh = [this] { m_refreshTimer.start(); };
    connect(&queue, &DownloadQueue::itemAdded, this, scheduleRefresh);
    connect(&queue, &DownloadQueue::itemChanged, this, scheduleRefresh);
    connect(&queue, &DownloadQueue::itemRemoved, this, scheduleRefresh);
    refresh();
}

void DownloadStatusPanel::refresh()
{
    m_refreshTimer.stop();
    const QueueProgress progress = m_queue.progress();
    setText(progress.text());
    setVisible(progress.total > 0);
}

void DownloadStatusPanel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void DownloadStatusPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

} // namespace Qorvin
