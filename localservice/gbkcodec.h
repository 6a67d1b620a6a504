// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace Qorvin::LocalService {

// The page in GBK. A character GBK cannot encode is written as a numeric character reference
// (&#N;), which the browser turns back into the character; a surrogate pair is one code point,
// a lone surrogate &#65533;.
QByteArray encodeGbkPage(const QString& html);

// text in GBK, or nothing when any of its characters has no GBK form.
std::optional<QByteArray> encodeGbk(QStringView text);

// bytes read as GBK, or nothing when they are no valid GBK: a broken or cut-off double byte,
// or a code of the user-defined areas (which decode to private-use characters).
std::optional<QString> decodeGbk(QByteArrayView bytes);

// bytes read as UTF-8, or nothing when they are no valid UTF-8.
std::optional<QString> decodeUtf8(QByteArrayView bytes);

} // namespace Qorvin::LocalService
