// SPDX-License-Identifier: MIT
// 下载管理: the queue's items in a table, the commands for the selected items and for all, the
// total progress and rate, the folder new downloads go to, how their files are named and whether
// their song information (ID3 tags) is written. Closing it only hides it; the
// downloads go on.
#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
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
    QComboBox* nameChoice() const { return m_nameChoice; }
    QCheckBox* writeTagsChoice() const { return m_writeTags; }

    // The 文件名 choices: the label the list shows and the name template it stands for.
    struct NameChoice
    {
        QString label;
        QString nameTemplate;
    };
    static QList<NameChoice> nameChoices();

private:
    QWidget* createFolderRow();
    QWidget* createChoicesRow();
    QWidget* createButtonRows();
    QPushButton* addButton(QLayout* row, const QString& text, void (DownloadsWindow::*handler)());
    void forSelected(void (DownloadQueue::*command)(int));
    void pauseSelected();
    void resumeSelected();
    void cancelSelected();
    void retrySelected();
    void redownloadSelected();
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
    QComboBox* m_nameChoice = nullptr;
    QCheckBox* m_writeTags = nullptr;
    QLabel* m_total = nullptr;
    QList<QPushButton*> m_selectionButtons;
};

} // namespace Qorvin
