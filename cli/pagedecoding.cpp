// SPDX-License-Identifier: MIT
#include "pagedecoding.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <map>
#include <string>
#include <string_view>

namespace Qorvin::Cli {

namespace {

// How far a browser looks for a <meta> charset before it gives up.
constexpr qsizetype MetaPrescanBytes = 1024;

QByteArray charsetParameter(const QByteArray& text)
{
    static const QRegularExpression parameter(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_.:+-]+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = parameter.match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

QByteArray metaCharset(const QByteArray& body)
{
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(body.left(MetaPrescanBytes));
    QRegularExpressionMatchIterator tags = meta.globalMatch(head);
    while (tags.hasNext()) {
        const QByteArray charset = charsetParameter(tags.next().captured(0).toLatin1());
        if (!charset.isEmpty())
            return charset;
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
    const QByteArray fromHeader = charsetParameter(contentType);
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
    return isValidUtf8(body) ? decodeWith("UTF-8", body) : decodeWith("GB18030", body);
}

} // namespace Qorvin::Cli
