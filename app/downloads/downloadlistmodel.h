// SPDX-License-Identifier: MIT
// The download queue's items as table rows, in the queue's order, kept current by its signals.
#pragma once

#include "download/downloaditem.h"

#include <QAbstractTableModel>
#include <QList>

namespace Qorvin {

class DownloadQueue;

class DownloadListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        TitleColumn,
        SizeColumn,
        ProgressColumn,
        RateColumn,
        StateColumn,
        ColumnCount
    };
    // The progress column's value for the bar, 0..100.
    static constexpr int PercentRole = Qt::UserRole + 1;
    // Every column's item id.
    static constexpr int IdRole = Qt::UserRole + 2;

    explicit DownloadListModel(DownloadQueue& queue, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The item of a row, id 0 outside the rows.
    DownloadItem itemAt(int row) const;
    int rowOf(int id) const; // -1 when the model has no such item

private:
    void addItem(int id);
    void updateItem(int id);
    void removeItem(int id);

    DownloadQueue& m_queue;
    QList<DownloadItem> m_items;
};

} // namespace Qorvin
