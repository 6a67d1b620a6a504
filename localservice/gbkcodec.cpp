// SPDX-License-Identifier: MIT
#include "localservice/gbkcodec.h"

#include "base/gbktext.h"

#include <QStringDecoder>

namespace Qorvin::LocalService {

QByteArray encodeGbkPage(const QString& html)
{
    GbkTextEncoder gbk;
    QByteArray page;
    gbk.append(page, html);
    return page;
}

std::optional<QByteArray> encodeGbk(QStringView text)
{
    return gbkBytes(text);
}

std::optional<QString> decodeGbk(QByteArrayView bytes)
{
    return gbkText(bytes);
}

std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace Qorvin::LocalService
