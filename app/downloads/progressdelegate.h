// SPDX-License-Identifier: MIT
// Draws the progress column as a progress bar with its percentage.
#pragma once

#include <QStyledItemDelegate>

namespace Qorvin {

class ProgressDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // percentRole is the role whose value, 0..100, fills the bar.
    explicit ProgressDelegate(int percentRole, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int m_percentRole;
};

} // namespace Qorvin
