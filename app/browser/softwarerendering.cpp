// SPDX-License-Identifier: MIT
#include "softwarerendering.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtGlobal>

namespace Qorvin {

void useSoftwareRendering()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

} // namespace Qorvin
