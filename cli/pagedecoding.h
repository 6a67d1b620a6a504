// SPDX-License-Identifier: MIT
// A fetched page's bytes into text, read by the charset the page declares, as a browser reads it.
#pragma once

#include <QByteArray>
#include <QString>

namespace Qorvin::Cli {

// The charset label the page declares: the Content-Type header's charset first, then a <meta>
// in the page's first 1024 bytes. Lower case; empty when neither names one.
QByteArray declaredCharset(const QByteArray& contentType, const QByteArray& body);

// The page decoded as the window's engine decodes it: a byte-order mark wins, then the declared
// charset (the GB2312 and GBK labels read as GB18030, their superset). A page that declares
// nothing usable reads as GB18030 when its bytes are GB18030, else as windows-1252: the engine
// never takes undeclared bytes for UTF-8. Bytes the charset cannot read become U+FFFD.
QString decodePage(const QByteArray& body, const QByteArray& contentType);

} // namespace Qorvin::Cli
