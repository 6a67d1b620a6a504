// SPDX-License-Identifier: MIT
#include "app/window/clickablepanel.h"

#include "app/window/mouseclick.h"

namespace Qorvin {

ClickablePanel::ClickablePanel(QWidget* parent) : QFrame(parent) {}

void ClickablePanel::mousePressEvent(QMouseEvent* event)
{
    takeClickPress(event);
}

void ClickablePanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (endsClick(event, *this))
        emit clicked();
}

} // namespace Qorvin
