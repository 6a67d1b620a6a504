// SPDX-License-Identifier: MIT
// Text into code page 936 (GBK) for result.htm, with nothing lost: a character that GBK cannot
// represent is written as the decimal character reference of its code point.
#pragma once

#include <QByteArray>
#include <QStringEncoder>
#include <QStringView>

namespace Qorvin {

class GbkTextEncoder
{
public:
    GbkTextEncoder();

    // False when the platform has no GBK converter; nothing can be written then.
    bool isValid() const { return m_encoder.isValid(); }

    // Appends text to out in GBK; a character outside GBK, and a lone surrogate, goes in as &#N;.
    void append(QByteArray& out, QStringView text);

private:
    void appendByCodePoint(QByteArray& out, QStringView text);

    QStringEncoder m_encoder;
};

} // namespace Qorvin
