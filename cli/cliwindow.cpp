// SPDX-License-Identifier: MIT
#include "cli/cliwindow.h"

#include <QCoreApplication>

namespace Qorvin::Cli {

CliWindow::CliWindow(QString countText, QString keyword)
    : m_count(std::move(countText)), m_keyword(std::move(keyword)), m_caption(startCaption())
{
}

// The crawl yields after every record. With nobody at a keyboard the only events are the
// network's and Ctrl-C's, so one pass of the event loop a millisecond serves them as well as one
// per record, without a round of polling for each of a page's thirty records.
void CliWindow::yield()
{
    constexpr qint64 PassIntervalNs = 1'000'000;
    if (m_sinceEventPass.isValid() && m_sinceEventPass.nsecsElapsed() < PassIntervalNs)
        return;
    QCoreApplication::processEvents();
    m_sinceEventPass.start();
}

QString CliWindow::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

} // namespace Qorvin::Cli
