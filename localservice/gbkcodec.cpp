// SPDX-License-Identifier: MIT
#include "localservice/gbkcodec.h"

#include "base/gbktext.h"

#include <QStringDecoder>

namespace Qorvin::LocalService {

namespace {

bool isPrivateUse(char32_t u)
{
    return u >= 0xE000 && u <= 0xF8FF;
}

} // namespace

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
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    for (QChar c : text) {
        if (isPrivateUse(c.unicode()))
            return std::nullopt;
    }
    return text;
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
