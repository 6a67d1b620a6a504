// SPDX-License-Identifier: MIT
// The status bar's downloads panel: the queue's progress ("下载 12/30 · 45%"); a click on it
// opens the downloads window. Hidden while the queue holds nothing.
#pragma once

#include <QLabel>
#include <QTimer>

namespace Qorvin {

class DownloadQueue;

class DownloadStatusPanel : public QLabel
{
    Q_OBJECT

public:
    explicit DownloadStatusPanel(DownloadQueue& queue, QWidget* parent = nullptr);

    // Shows the queue's progress as it is now (the queue's signals call it too).
    void refresh();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DownloadQueue& m_queue;
    QTimer m_refreshTimer;
};

} // namespace Qorvin
