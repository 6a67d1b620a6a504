// SPDX-License-Identifier: MIT
#include "app/downloads/downloadlistmodel.h"

#include "app/downloads/transfertext.h"
#include "download/downloadqueue.h"

namespace Qorvin {

DownloadListModel::DownloadListModel(DownloadQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), m_queue(queue), m_items(queue.items())
{
    connect(&queue, &DownloadQueue::itemAdded, this, &DownloadListModel::addItem);
    connect(&queue, &DownloadQueue::itemChanged, this, &DownloadListModel::updateItem);
    connect(&queue, &DownloadQueue::itemRemoved, this, &DownloadListModel::removeItem);
}

int DownloadListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int DownloadListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DownloadItem& item = m_items.at(index.row());
    if (role == IdRole)
        return item.id;
    if (role == PercentRole)
        return index.column() == ProgressColumn ? QVariant(progressPercent(item)) : QVariant();
    if (role == Qt::TextAlignmentRole && index.column() != TitleColumn && index.column() != StateColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole) {
        if (index.column() == TitleColumn)
            return item.targetPath;
        if (index.column() == StateColumn)
            return stateToolTip(item);
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case TitleColumn:
        return item.title;
    case SizeColumn:
        return sizeText(item.bytesTotal);
    case ProgressColumn:
        return QStringLiteral("%1%").arg(progressPercent(item));
    case RateColumn:
        return item.state == DownloadState::Downloading ? rateText(item.bytesPerSecond) : QString();
    case StateColumn:
        return stateText(item);
    default:
        return {};
    }
}

QVariant DownloadListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TitleColumn:
        return QStringLiteral("歌曲名");
    case SizeColumn:
        return QStringLiteral("大小");
    case ProgressColumn:
        return QStringLiteral("进度");
    case RateColumn:
        return QStringLiteral("速度");
    case StateColumn:
        return QStringLiteral("状态");
    default:
        return {};
    }
}

DownloadItem DownloadListModel::itemAt(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row) : DownloadItem{};
}

int DownloadListModel::rowOf(int id) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row).id == id)
            return int(row);
    }
    return -1;
}

void DownloadListModel::addItem(int id)
{
    const DownloadItem item = m_queue.item(id);
    if (item.id == 0 || rowOf(id) >= 0)
        return;
    const int row = int(m_items.size());
    beginInsertRows({}, row, row);
    m_items.append(item);
    endInsertRows();
}

void DownloadListModel::updateItem(int id)
{
    const int row = rowOf(id);
    if (row < 0) {
        addItem(id);
        return;
    }
    m_items[row] = m_queue.item(id);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void DownloadListModel::removeItem(int id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    endRemoveRows();
}

} // namespace Qorvin
