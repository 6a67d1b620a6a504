// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>

namespace Qorvin {

// A panel that reports a click on its own background; clicks on children that take them
// (the topic labels) stay with the children.
class ClickablePanel : public QFrame
{
    Q_OBJECT

public:
    explicit ClickablePanel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace Qorvin
