// SPDX-License-Identifier: MIT
#include "app/browser/softwarerendering.h"

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
