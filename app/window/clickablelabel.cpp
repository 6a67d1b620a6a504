// SPDX-License-Identifier: MIT
#include "app/window/clickablelabel.h"

#include "app/window/mouseclick.h"

namespace Qorvin {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {}

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    takeClickPress(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (endsClick(event, *this))
        emit clicked();
}

} // namespace Qorvin
