// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace Qorvin {

// A label (or picture) that reports a click: the left button pressed and released over it.
// It takes the press, so a click on it never reaches the panel beneath.
class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace Qorvin
