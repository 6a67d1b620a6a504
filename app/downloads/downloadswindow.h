// SPDX-License-Identifier: MIT
// 下载管理: the queue's items in a table, the commands for the selected items and for all, the
// total progress and rate, and the folder new downloads go to. Closing it only hides it; the
// downloads go on.
#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QUrl;

namespace Qorvin {

class DownloadListModel;
class DownloadQueue;

class DownloadsWindow : public QWidget
{
    Q_OBJECT

public:
    // openFolder shows a folder in the file manager.
    DownloadsWindow(DownloadQueue& queue, std::function<void(const QUrl& folder)> openFolder,
                    QWidget* parent = nullptr);

    QTableView* table() const { return m_table; }
    DownloadListModel* model() const { return m_model; }
    // The ids of the selected rows, top to bottom.
    QList<int> selectedIds() const;

private:
    QWidget* createFolderRow();
    QWidget* createButtonRows();
    QPushButton* addButton(QLayout* row, const QString& text, void (DownloadsWindow::*handler)());
    void forSelected(void (DownloadQueue::*command)(int));
    void pauseSelected();
    void resumeSelected();
    void cancelSelected();
    void retrySelected();
    void openSelectedFolder();
    void pauseAll();
    void resumeAll();
    void clearFinished();
    void chooseFolder();
    void refreshTotals();
    void updateButtons();

    DownloadQueue& m_queue;
    std::function<void(const QUrl& folder)> m_openFolder;
    DownloadListModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLineEdit* m_folder = nullptr;
    QLabel* m_total = nullptr;
    QList<QPushButton*> m_selectionButtons;
};

} // namespace Qorvin
