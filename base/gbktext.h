// SPDX-License-Identifier: MIT
// Text into and out of code page 936 (GBK): the one encoder of result.htm, the service's pages and
// the keyword in a request's query, and the one reader of GBK bytes (requests, song tags).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

#include <optional>

namespace Qorvin {

// text in GBK; nothing when one of its characters (a lone surrogate too) has no GBK form.
std::optional<QByteArray> gbkBytes(QStringView text);

// bytes read as GBK, or nothing when they are no valid GBK: a broken or cut-off double byte, or a
// code of the user-defined areas (which decode to private-use characters).
std::optional<QString> gbkText(QByteArrayView bytes);

// Text into GBK with nothing lost: a character that GBK cannot represent is written as the
// decimal character reference of its code point, a lone surrogate as &#65533;.
class GbkTextEncoder
{
public:
    GbkTextEncoder();
    // The converter reports its errors to its own address: it never moves.
    GbkTextEncoder(const GbkTextEncoder&) = delete;
    GbkTextEncoder& operator=(const GbkTextEncoder&) = delete;

    // False when the platform has no GBK converter; nothing can be written then.
    bool isValid() const { return m_encoder->isValid(); }

    void append(QByteArray& out, QStringView text);

private:
    void appendByCodePoint(QByteArray& out, QStringView text);
    void renewEncoder();

    // Renewed in place after an error: the error flag outlives resetState(), and a converter
    // assigned from another one keeps reporting its errors to the other one's state.
    std::optional<QStringEncoder> m_encoder;
};

} // namespace Qorvin
