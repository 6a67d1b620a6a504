// SPDX-License-Identifier: MIT
// A click is the left button pressed on a control and released over it again.
#pragma once

#include <QMouseEvent>
#include <QWidget>

namespace Qorvin {

// Takes a left-button press, so that the control's container never sees it.
inline void takeClickPress(QMouseEvent* event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

// Whether this release ends a click on widget.
inline bool endsClick(QMouseEvent* event, const QWidget& widget)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return false;
    }
    event->accept();
    return widget.rect().contains(event->position().toPoint());
}

} // namespace Qorvin
