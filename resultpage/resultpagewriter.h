// SPDX-License-Identifier: MIT
// result.htm: the page of found songs that ends every crawl.
#pragma once

#include "base/outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Qorvin {

// Writes the whole page to filePath: 140 + 7n lines for the n titles, CR LF after each, no byte-order
// mark, in GBK with characters outside it as &#N;. Entry i of links is the address of titles[i].
// The file is replaced atomically: when writing fails, an existing page stays whole and the
// result carries the reason. Fails without writing when links is shorter than titles.
Outcome ResultPageWriter(const QString& filePath, const QString& keyword, const QStringList& titles,
                         const QStringList& links);

// The exact bytes ResultPageWriter writes; empty when the lists cannot make a page (links shorter
// than titles, more than 32,767 titles, no GBK converter).
QByteArray resultPageBytes(const QString& keyword, const QStringList& titles, const QStringList& links);

} // namespace Qorvin
