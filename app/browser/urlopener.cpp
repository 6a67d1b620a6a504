// SPDX-License-Identifier: MIT
#include "app/browser/urlopener.h"

#include <QDesktopServices>
#include <QUrl>

namespace Qorvin {

void openInDefaultBrowser(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid())
        QDesktopServices::openUrl(url); // no program for the address: nothing is shown
}

} // namespace Qorvin
