// SPDX-License-Identifier: MIT
// Reading a written result page back as text lines, for the result page tests.
#pragma once

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

namespace Qorvin::Test {

// The page's lines without their CR LF; empty when a line end is missing or stray CR/LF appear.
inline QStringList pageLines(const QByteArray& page)
{
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(page);
    if (gbk.hasError() || !text.endsWith(QStringLiteral("\r\n")))
        return {};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    for (const QString& line : std::as_const(lines)) {
        if (line.contains(u'\r') || line.contains(u'\n'))
            return {};
    }
    return lines;
}

} // namespace Qorvin::Test
