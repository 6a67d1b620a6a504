// SPDX-License-Identifier: MIT
#include "gbktext.h"

namespace Qorvin {

namespace {

constexpr auto gbkName = "GBK";

QStringEncoder newGbkEncoder()
{
    // Stateless: a text never leaves half a surrogate pair waiting inside the converter.
    return QStringEncoder(gbkName, QStringConverter::Flag::Stateless);
}

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

GbkTextEncoder::GbkTextEncoder() : m_encoder(newGbkEncoder()) {}

void GbkTextEncoder::append(QByteArray& out, QStringView text)
{
    if (appendIfAscii(out, text))
        return;
    if (!hasLoneSurrogate(text)) {
        const QByteArray encoded = m_encoder.encode(text);
        if (!m_encoder.hasError()) {
            out.append(encoded);
            return;
        }
    }
    appendByCodePoint(out, text);
    // The converter's error flag outlives resetState(), so the next text gets a fresh converter.
    m_encoder = newGbkEncoder();
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
            appendCharacterReference(out, codePoint);
            continue;
        }
        QStringEncoder single = newGbkEncoder();
        const QByteArray encoded = single.encode(text.mid(i, length));
        if (single.hasError())
            appendCharacterReference(out, codePoint);
        else
            out.append(encoded);
        i += length - 1;
    }
}

} // namespace Qorvin
