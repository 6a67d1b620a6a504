// SPDX-License-Identifier: MIT
#include "base/gbktext.h"

#include <QStringDecoder>

namespace Qorvin {

namespace {

constexpr auto GbkName = "GBK";
constexpr char32_t ReplacementCharacter = 0xFFFD;

bool hasLoneSurrogate(QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        else if (QChar::isSurrogate(unit))
            return true;
    }
    return false;
}

void appendCharacterReference(QByteArray& out, char32_t codePoint)
{
    out.append("&#", 2);
    out.append(QByteArray::number(static_cast<uint>(codePoint)));
    out.append(';');
}

// Copies text byte for byte while it is ASCII; on the first other character leaves out as it was.
bool appendIfAscii(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    const qsizetype size = text.size();
    out.resize(start + size);
    char* target = out.data() + start;
    const QChar* source = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = source[i].unicode();
        if (unit >= 0x80) {
            out.truncate(start);
            return false;
        }
        target[i] = static_cast<char>(unit);
    }
    return true;
}

} // namespace

std::optional<QByteArray> gbkBytes(QStringView text)
{
    QByteArray bytes;
    if (appendIfAscii(bytes, text))
        return bytes;
    if (hasLoneSurrogate(text))
        return std::nullopt;
    // Stateless: a text never leaves half a surrogate pair waiting inside the converter.
    QStringEncoder encoder(GbkName, QStringConverter::Flag::Stateless);
    bytes = encoder.encode(text);
    if (encoder.hasError() || !encoder.isValid())
        return std::nullopt;
    return bytes;
}

std::optional<QString> gbkText(QByteArrayView bytes)
{
    QStringDecoder decoder(GbkName, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || !decoder.isValid())
        return std::nullopt;
    for (QChar c : text) {
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF) // private use
            return std::nullopt;
    }
    return text;
}

GbkTextEncoder::GbkTextEncoder()
{
    renewEncoder();
}

void GbkTextEncoder::renewEncoder()
{
    m_encoder.emplace(GbkName, QStringConverter::Flag::Stateless);
}

void GbkTextEncoder::append(QByteArray& out, QStringView text)
{
    if (appendIfAscii(out, text))
        return;
    if (!hasLoneSurrogate(text)) {
        const QByteArray encoded = m_encoder->encode(text);
        if (!m_encoder->hasError()) {
            out.append(encoded);
            return;
        }
        renewEncoder();
    }
    appendByCodePoint(out, text);
}

void GbkTextEncoder::appendByCodePoint(QByteArray& out, QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            out.append(static_cast<char>(unit));
            continue;
        }
        qsizetype length = 1;
        char32_t codePoint = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
            codePoint = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            length = 2;
        } else if (QChar::isSurrogate(unit)) {
            appendCharacterReference(out, ReplacementCharacter);
            continue;
        }
        const QByteArray encoded = m_encoder->encode(text.mid(i, length));
        if (m_encoder->hasError()) {
            appendCharacterReference(out, codePoint);
            renewEncoder();
        } else {
            out.append(encoded);
        }
        i += length - 1;
    }
}

} // namespace Qorvin
