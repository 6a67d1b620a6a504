// SPDX-License-Identifier: MIT
#include "search/navigationurl.h"

#include "base/gbktext.h"

namespace Qorvin {

namespace {

enum class Part
{
    Path,
    Query,
    Fragment,
};

void appendEscaped(QByteArray& out, uchar byte)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    out.append('%');
    out.append(hexDigits[byte >> 4]);
    out.append(hexDigits[byte & 0x0F]);
}

void appendEscaped(QByteArray& out, const QByteArray& bytes)
{
    for (const char byte : bytes)
        appendEscaped(out, static_cast<uchar>(byte));
}

// Printable ASCII that may stand in a URL as it is; everything else is escaped.
bool keptAsIs(char16_t c, Part part)
{
    if (c <= 0x20 || c >= 0x7F)
        return false;
    switch (c) {
    case u'"':
    case u'<':
    case u'>':
    case u'\\':
    case u'^':
    case u'`':
    case u'{':
    case u'|':
    case u'}':
        return false;
    case u'%':
        // In the path an escape is already one (a proper file URL); in the query the keyword is
        // the user's own text, where "%" is just a character.
        return part == Part::Path;
    default:
        return true;
    }
}

void appendPart(QByteArray& out, QStringView text, Part part)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (part == Part::Path && c == u'\\') {
            out.append('/');
        } else if (keptAsIs(c, part)) {
            out.append(static_cast<char>(c));
        } else if (c < 0x80) {
            appendEscaped(out, static_cast<uchar>(c));
        } else {
            // One code point, a surrogate pair included, is encoded at a time so that a character
            // the code page lacks is found and replaced on its own.
            const qsizetype length =
                QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
            const QStringView character = text.mid(i, length);
            i += length - 1;
            if (part == Part::Query)
                appendEscaped(out, gbkBytes(character).value_or(QByteArrayLiteral("?")));
            else
                appendEscaped(out, character.toUtf8());
        }
    }
}

} // namespace

QByteArray encodedNavigationAddress(const QString& input)
{
    // "file:///" before a folder that begins with "/" gives four slashes, which would make the
    // folder's first name a host.
    const QString fileStart = QStringLiteral("file:///");
    const QString address = input.startsWith(fileStart + u'/', Qt::CaseInsensitive)
                                ? fileStart + input.mid(fileStart.size() + 1)
                                : input;
    const qsizetype fragmentStart = address.indexOf(u'#');
    const QStringView beforeFragment =
        QStringView(address).left(fragmentStart < 0 ? address.size() : fragmentStart);
    const qsizetype queryStart = beforeFragment.indexOf(u'?');

    QByteArray out;
    out.reserve(address.size() * 3);
    if (queryStart < 0) {
        appendPart(out, beforeFragment, Part::Path);
    } else {
        appendPart(out, beforeFragment.left(queryStart), Part::Path);
        out.append('?');
        appendPart(out, beforeFragment.mid(queryStart + 1), Part::Query);
    }
    if (fragmentStart >= 0) {
        out.append('#');
        appendPart(out, QStringView(address).mid(fragmentStart + 1), Part::Fragment);
    }
    return out;
}

QUrl navigationUrl(const QString& address)
{
    return QUrl::fromEncoded(encodedNavigationAddress(address), QUrl::TolerantMode);
}

bool sameDocument(const QUrl& a, const QUrl& b)
{
    const auto documentPart = [](const QUrl& url) {
        return url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
    };
    return documentPart(a) == documentPart(b);
}

} // namespace Qorvin
