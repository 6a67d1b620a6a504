// SPDX-License-Identifier: MIT
#include "cliwindow.h"

#include <QCoreApplication>

namespace Qorvin::Cli {

CliWindow::CliWindow(QString countText, QString keyword)
    : m_count(std::move(countText)), m_keyword(std::move(keyword)), m_caption(QStringLiteral("开始搜索"))
{
}

void CliWindow::yield()
{
    QCoreApplication::processEvents();
}

QString CliWindow::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

} // namespace Qorvin::Cli
