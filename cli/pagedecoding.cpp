// SPDX-License-Identifier: MIT
#include "cli/pagedecoding.h"

#include <QByteArrayList>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

namespace Qorvin::Cli {

namespace {

// How far a browser looks for a <meta> charset before it gives up.
constexpr qsizetype MetaPrescanBytes = 1024;

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isAsciiAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isLabelCharacter(char c)
{
    return isAsciiAlphanumeric(c) || c == '_' || c == '.' || c == ':' || c == '+' || c == '-';
}

// The label of the first "charset = label" in text (blanks around "=" and a quote before the
// label allowed), lower case. Scanned by hand: this runs on every page, and compiling a pattern
// costs more than the scan.
QByteArray charsetParameter(QLatin1StringView text)
{
    const qsizetype size = text.size();
    for (qsizetype at = 0; (at = text.indexOf(QLatin1StringView("charset"), at, Qt::CaseInsensitive)) >= 0;
         ++at) {
        qsizetype i = at + 7;
        while (i < size && isAsciiSpace(text.at(i).toLatin1()))
            ++i;
        if (i == size || text.at(i) != u'=')
            continue;
        ++i;
        while (i < size && isAsciiSpace(text.at(i).toLatin1()))
            ++i;
        if (i < size && (text.at(i) == u'"' || text.at(i) == u'\''))
            ++i;
        const qsizetype labelStart = i;
        while (i < size && isLabelCharacter(text.at(i).toLatin1()))
            ++i;
        if (i > labelStart)
            return QByteArray(text.data() + labelStart, i - labelStart).toLower();
    }
    return {};
}

// The charset of the first <meta> tag in the page's first bytes that names one.
QByteArray metaCharset(const QByteArray& body)
{
    const QLatin1StringView head(body.constData(), std::min(body.size(), MetaPrescanBytes));
    for (qsizetype at = 0; (at = head.indexOf(QLatin1StringView("<meta"), at, Qt::CaseInsensitive)) >= 0;) {
        const qsizetype nameEnd = at + 5;
        // "<metadata" is another tag.
        if (nameEnd < head.size() &&
            (isAsciiAlphanumeric(head.at(nameEnd).toLatin1()) || head.at(nameEnd) == u'_')) {
            at = nameEnd;
            continue;
        }
        const qsizetype tagEnd = head.indexOf(u'>', nameEnd);
        if (tagEnd < 0)
            return {};
        const QByteArray charset = charsetParameter(head.sliced(at, tagEnd + 1 - at));
        if (!charset.isEmpty())
            return charset;
        at = tagEnd + 1;
    }
    return {};
}

// The labels browsers read with their GB18030 decoder.
bool isGbkLabel(const QByteArray& label)
{
    static const QByteArrayList labels{"gb2312",  "gbk",        "x-gbk",     "chinese", "csgb2312",
                                       "gb_2312", "gb_2312-80", "iso-ir-58", "gb18030", "csiso58gb231280"};
    return labels.contains(label);
}

// Opening a converter by name costs about as much as decoding a page with it, so the ones a
// crawl uses are opened once and reset before each page. Null when the name is unknown.
QStringDecoder* keptDecoder(const char* name)
{
    thread_local std::map<std::string, QStringDecoder, std::less<>> decoders;
    auto found = decoders.find(std::string_view(name));
    if (found == decoders.end()) {
        QStringDecoder decoder(name);
        if (!decoder.isValid())
            return nullptr;
        found = decoders.emplace(name, std::move(decoder)).first;
    }
    found->second.resetState();
    return &found->second;
}

QString decodeWith(const char* name, QByteArrayView bytes)
{
    return keptDecoder(name)->decode(bytes);
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decoding happens on the conversion
    Q_UNUSED(text);
    return !decoder.hasError();
}

} // namespace

QByteArray declaredCharset(const QByteArray& contentType, const QByteArray& body)
{
    const QByteArray fromHeader = charsetParameter(QLatin1StringView(contentType));
    return fromHeader.isEmpty() ? metaCharset(body) : fromHeader;
}

QString decodePage(const QByteArray& body, const QByteArray& contentType)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return decodeWith("UTF-8", QByteArrayView(body).sliced(3));
    const QByteArray charset = declaredCharset(contentType, body);
    if (isGbkLabel(charset))
        return decodeWith("GB18030", body);
    if (!charset.isEmpty()) {
        if (QStringDecoder* decoder = keptDecoder(charset.constData()))
            return decoder->decode(body);
    }
    // Nothing usable is declared: the engine guesses from the bytes, and it never guesses UTF-8.
    // Chinese bytes read as GB18030; UTF-8 bytes, and bytes that are no GB18030, read as
    // windows-1252, the engine's charset for pages that name none.
    if (!isValidUtf8(body)) {
        QString text = decodeWith("GB18030", body);
        if (!text.contains(QChar::ReplacementCharacter))
            return text;
    }
    return decodeWith("windows-1252", body);
}

} // namespace Qorvin::Cli
