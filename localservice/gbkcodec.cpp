// SPDX-License-Identifier: MIT
#include "gbkcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <bitset>
#include <memory>

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

namespace {

using BmpSet = std::bitset<0x10000>;

// The encoder writes '?' for a character it cannot encode, so whether a character has a GBK
// form is found once per character of the Basic Multilingual Plane (a few tens of ms) and kept.
const BmpSet& gbkEncodable()
{
    static const std::unique_ptr<const BmpSet> encodable = [] {
        auto set = std::make_unique<BmpSet>();
        for (char32_t u = 0; u < 0x10000; ++u) {
            if (u < 0x80) {
                set->set(u);
                continue;
            }
            if (QChar::isSurrogate(u))
                continue;
            const QChar c{char16_t(u)};
            QStringEncoder encoder("GBK");
            const QByteArray bytes = encoder.encode(QStringView(&c, 1));
            if (!encoder.hasError() && !bytes.isEmpty())
                set->set(u);
        }
        return set;
    }();
    return *encodable;
}

bool isPrivateUse(char32_t u)
{
    return u >= 0xE000 && u <= 0xF8FF;
}

QByteArray encodeAll(QStringView text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

} // namespace

QByteArray encodeGbkPage(const QString& html)
{
    const BmpSet& encodable = gbkEncodable();
    qsizetype firstOutside = -1;
    for (qsizetype i = 0; i < html.size(); ++i) {
        if (!encodable.test(html[i].unicode())) {
            firstOutside = i;
            break;
        }
    }
    if (firstOutside < 0)
        return encodeAll(html);

    QString escaped = html.first(firstOutside);
    escaped.reserve(html.size() + 16);
    for (qsizetype i = firstOutside; i < html.size(); ++i) {
        const QChar c = html[i];
        if (encodable.test(c.unicode())) {
            escaped.append(c);
            continue;
        }
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < html.size() && html[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, html[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            codePoint = QChar::ReplacementCharacter; // a lone half of a pair is no character at all
        }
        escaped.append(u"&#"_s + QString::number(codePoint) + u';');
    }
    return encodeAll(escaped);
}

std::optional<QByteArray> encodeGbk(QStringView text)
{
    const BmpSet& encodable = gbkEncodable();
    for (QChar c : text) {
        if (!encodable.test(c.unicode()))
            return std::nullopt;
    }
    return encodeAll(text);
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
