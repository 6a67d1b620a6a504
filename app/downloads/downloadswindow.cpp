// SPDX-License-Identifier: MIT
#include "app/downloads/downloadswindow.h"

#include "app/downloads/downloadlistmodel.h"
#include "app/downloads/progressdelegate.h"
#include "app/downloads/transfertext.h"
#include "download/downloadfolder.h"
#include "download/downloadqueue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace Qorvin {

DownloadsWindow::DownloadsWindow(DownloadQueue& queue, std::function<void(const QUrl& folder)> openFolder,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), m_queue(queue), m_openFolder(std::move(openFolder))
{
    setObjectName(QStringLiteral("DownloadsWindow"));
    setWindowTitle(QStringLiteral("下载管理"));
    resize(720, 440);

    m_model = new DownloadListModel(queue, this);
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setItemDelegateForColumn(DownloadListModel::ProgressColumn,
                                      new ProgressDelegate(DownloadListModel::PercentRole, m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 10);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(DownloadListModel::TitleColumn, QHeaderView::Stretch);
    header->resizeSection(DownloadListModel::SizeColumn, 80);
    header->resizeSection(DownloadListModel::ProgressColumn, 130);
    header->resizeSection(DownloadListModel::RateColumn, 100);
    header->resizeSection(DownloadListModel::StateColumn, 120);
    header->setHighlightSections(false);

    m_total = new QLabel(this);
    m_total->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createFolderRow());
    layout->addWidget(createChoicesRow());
    layout->addWidget(m_table, 1);
    layout->addWidget(createButtonRows());

    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DownloadsWindow::updateButtons);
    // Rows cleared away take their selection with them without a selection change.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DownloadsWindow::updateButtons);
    // The totals are summed over the whole queue once for all the reports that arrive together.
    auto* totalsTimer = new QTimer(this);
    totalsTimer->setSingleShot(true);
    totalsTimer->setInterval(0);
    connect(totalsTimer, &QTimer::timeout, this, &DownloadsWindow::refreshTotals);
    const auto scheduleTotals = [totalsTimer] { totalsTimer->start(); };
    connect(&queue, &DownloadQueue::itemAdded, this, scheduleTotals);
    connect(&queue, &DownloadQueue::itemChanged, this, scheduleTotals);
    connect(&queue, &DownloadQueue::itemRemoved, this, scheduleTotals);
    refreshTotals();
    updateButtons();
}

QWidget* DownloadsWindow::createFolderRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("下载到："), row));
    m_folder = new QLineEdit(QDir::toNativeSeparators(downloadBaseFolder()), row);
    m_folder->setReadOnly(true);
    m_folder->setToolTip(QStringLiteral("新的下载放在这个文件夹里，每个关键词一个子文件夹"));
    layout->addWidget(m_folder, 1);
    auto* choose = new QPushButton(QStringLiteral("更改…"), row);
    connect(choose, &QPushButton::clicked, this, &DownloadsWindow::chooseFolder);
    layout->addWidget(choose);
    return row;
}

QList<DownloadsWindow::NameChoice> DownloadsWindow::nameChoices()
{
    return {{QStringLiteral("歌名 - 歌手"), QString::fromUtf16(DefaultNameTemplate)},
            {QStringLiteral("歌手 - 歌名"), QStringLiteral("{singer} - {name}")},
            {QStringLiteral("歌手/歌名"), QStringLiteral("{singer}/{name}")},
            {QStringLiteral("序号. 歌名 - 歌手"), QStringLiteral("{n}. {title}")}};
}

QWidget* DownloadsWindow::createChoicesRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("文件名："), row));
    m_nameChoice = new QComboBox(row);
    for (const NameChoice& choice : nameChoices())
        m_nameChoice->addItem(choice.label, choice.nameTemplate);
    m_nameChoice->setToolTip(QStringLiteral("新的下载按此命名；“歌手/歌名”为每位歌手建一个文件夹"));
    m_nameChoice->setCurrentIndex(qMax(0, m_nameChoice->findData(rememberedNameTemplate())));
    connect(m_nameChoice, &QComboBox::currentIndexChanged, this,
            [this] { rememberNameTemplate(m_nameChoice->currentData().toString()); });
    layout->addWidget(m_nameChoice);
    layout->addSpacing(16);
    m_writeTags = new QCheckBox(QStringLiteral("写入歌曲信息"), row);
    m_writeTags->setToolTip(
        QStringLiteral("下载完成后写入歌名、歌手、专辑和序号（ID3v2.3），修正乱码，去掉广告网址"));
    m_writeTags->setChecked(rememberedWriteTags());
    connect(m_writeTags, &QCheckBox::toggled, this, [](bool on) { rememberWriteTags(on); });
    layout->addWidget(m_writeTags);
    layout->addStretch(1);
    return row;
}

QWidget* DownloadsWindow::createButtonRows()
{
    auto* rows = new QWidget(this);
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* selected = new QHBoxLayout;
    m_selectionButtons = {
        addButton(selected, QStringLiteral("暂停"), &DownloadsWindow::pauseSelected),
        addButton(selected, QStringLiteral("继续"), &DownloadsWindow::resumeSelected),
        addButton(selected, QStringLiteral("取消"), &DownloadsWindow::cancelSelected),
        addButton(selected, QStringLiteral("重试"), &DownloadsWindow::retrySelected),
        addButton(selected, QStringLiteral("重新下载"), &DownloadsWindow::redownloadSelected),
        addButton(selected, QStringLiteral("打开所在文件夹"), &DownloadsWindow::openSelectedFolder)};
    selected->addStretch(1);
    layout->addLayout(selected);

    auto* all = new QHBoxLayout;
    addButton(all, QStringLiteral("全部暂停"), &DownloadsWindow::pauseAll);
    addButton(all, QStringLiteral("全部继续"), &DownloadsWindow::resumeAll);
    addButton(all, QStringLiteral("清除已完成"), &DownloadsWindow::clearFinished);
    all->addStretch(1);
    all->addWidget(m_total);
    layout->addLayout(all);
    return rows;
}

QPushButton* DownloadsWindow::addButton(QLayout* row, const QString& text, void (DownloadsWindow::*handler)())
{
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    row->addWidget(button);
    return button;
}

QList<int> DownloadsWindow::selectedIds() const
{
    QList<int> rows;
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    for (const QModelIndex& index : selected)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QList<int> ids;
    for (int row : std::as_const(rows))
        ids.append(m_model->itemAt(row).id);
    return ids;
}

void DownloadsWindow::forSelected(void (DownloadQueue::*command)(int))
{
    const QList<int> ids = selectedIds();
    for (int id : ids)
        (m_queue.*command)(id);
    updateButtons();
}

void DownloadsWindow::pauseSelected()
{
    forSelected(&DownloadQueue::pause);
}

void DownloadsWindow::resumeSelected()
{
    forSelected(&DownloadQueue::resume);
}

void DownloadsWindow::cancelSelected()
{
    forSelected(&DownloadQueue::cancel);
}

void DownloadsWindow::retrySelected()
{
    forSelected(&DownloadQueue::retry);
}

void DownloadsWindow::redownloadSelected()
{
    forSelected(&DownloadQueue::redownload);
}

void DownloadsWindow::openSelectedFolder()
{
    // One window per folder, however many of its songs are selected.
    QSet<QString> opened;
    const QList<int> ids = selectedIds();
    for (int id : ids) {
        const QString folder = QFileInfo(m_queue.item(id).targetPath).absolutePath();
        if (folder.isEmpty() || opened.contains(folder))
            continue;
        opened.insert(folder);
        if (m_openFolder)
            m_openFolder(QUrl::fromLocalFile(folder));
    }
}

void DownloadsWindow::pauseAll()
{
    m_queue.pauseAll();
}

void DownloadsWindow::resumeAll()
{
    m_queue.resumeAll();
}

void DownloadsWindow::clearFinished()
{
    m_queue.clearFinished();
}

void DownloadsWindow::chooseFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("选择下载文件夹"), downloadBaseFolder());
    if (folder.isEmpty())
        return;
    rememberDownloadBaseFolder(folder);
    m_folder->setText(QDir::toNativeSeparators(downloadBaseFolder()));
}

void DownloadsWindow::refreshTotals()
{
    const QueueProgress progress = m_queue.progress();
    QString text = QStringLiteral("总进度：") + progress.text();
    const QString rate = rateText(progress.bytesPerSecond);
    if (!rate.isEmpty())
        text += QStringLiteral("    速度：") + rate;
    m_total->setText(text);
}

void DownloadsWindow::updateButtons()
{
    const bool anySelected = m_table->selectionModel()->hasSelection();
    for (QPushButton* button : std::as_const(m_selectionButtons))
        button->setEnabled(anySelected);
}

} // namespace Qorvin
