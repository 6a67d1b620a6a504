// SPDX-License-Identifier: MIT
#include "app/legacyhtml/songlinktext.h"

#include "app/legacyhtml/gumboarena.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>

namespace Qorvin {

namespace {

bool isHiddenText(const GumboElement& element)
{
    return element.tag == GUMBO_TAG_SCRIPT || element.tag == GUMBO_TAG_STYLE ||
           element.tag == GUMBO_TAG_TEMPLATE || element.tag == GUMBO_TAG_NOSCRIPT;
}

// The text of the tree in document order, walked without recursion: a hostile title may nest
// thousands of tags.
QByteArray textOf(const GumboNode* root)
{
    QByteArray text;
    QList<const GumboNode*> pending{root};
    while (!pending.isEmpty()) {
        const GumboNode* node = pending.takeLast();
        switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
            text += node->v.text.text;
            break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const GumboElement& element = node->v.element;
            if (isHiddenText(element))
                break;
            if (element.tag == GUMBO_TAG_BR)
                text += ' ';
            for (unsigned int i = element.children.length; i > 0; --i)
                pending.append(static_cast<const GumboNode*>(element.children.data[i - 1]));
            break;
        }
        default:
            break;
        }
    }
    return text;
}

const GumboNode* firstAnchor(const GumboNode* root)
{
    QList<const GumboNode*> pending{root};
    while (!pending.isEmpty()) {
        const GumboNode* node = pending.takeLast();
        if (node->type != GUMBO_NODE_ELEMENT)
            continue;
        if (node->v.element.tag == GUMBO_TAG_A)
            return node;
        const GumboVector& children = node->v.element.children;
        for (unsigned int i = children.length; i > 0; --i)
            pending.append(static_cast<const GumboNode*>(children.data[i - 1]));
    }
    return nullptr;
}

// What a browser does to an href before parsing it: blanks and controls at either end go,
// tabs and line breaks inside go.
QString cleanedHref(QString href)
{
    auto isEdge = [](QChar c) { return c.unicode() <= 0x20; };
    qsizetype begin = 0;
    qsizetype end = href.size();
    while (begin < end && isEdge(href.at(begin)))
        ++begin;
    while (end > begin && isEdge(href.at(end - 1)))
        --end;
    href = href.mid(begin, end - begin);
    href.remove(u'\t');
    href.remove(u'\n');
    href.remove(u'\r');
    return href;
}

// Text that an HTML parser hands back as it is, up to line breaks: no tag, no character
// reference, no NUL (dropped or replaced by the parser) and no lone surrogate (replaced on the
// way through UTF-8). Most titles and links are like this, and they skip the parser.
bool isLiteralText(QStringView text)
{
    return std::none_of(text.cbegin(), text.cend(),
                        [](QChar c) { return c == u'<' || c == u'&' || c.isNull() || c.isSurrogate(); });
}

// The href as a parser reads it from the page, where it stands as a quoted attribute, so
// gumbo applies the attribute rules for character references ("&amp" before "=" stays as it is).
QString attributeValue(const QString& hrefHtml)
{
    QString quoted = hrefHtml;
    quoted.replace(u'"', QStringLiteral("&quot;"));
    const QByteArray utf8 = QStringLiteral("<a href=\"%1\"></a>").arg(quoted).toUtf8();
    const GumboDocument document(utf8);
    const GumboNode* anchor = document.root() ? firstAnchor(document.root()) : nullptr;
    if (!anchor)
        return {};
    const GumboAttribute* href = gumbo_get_attribute(&anchor->v.element.attributes, "href");
    return href ? QString::fromUtf8(href->value) : QString();
}

} // namespace

QString plainTitle(const QString& titleHtml)
{
    if (isLiteralText(titleHtml))
        return titleHtml.simplified();
    const QByteArray utf8 = titleHtml.toUtf8();
    const GumboDocument document(utf8);
    if (!document.root())
        return {};
    return QString::fromUtf8(textOf(document.root())).simplified();
}

QUrl songAddress(const QString& hrefHtml, const QUrl& base)
{
    const QString address = cleanedHref(isLiteralText(hrefHtml) ? hrefHtml : attributeValue(hrefHtml));
    if (address.isEmpty())
        return {};
    // Tolerant mode encodes non-ASCII characters as UTF-8 and a stray "%" as "%25".
    QUrl url(address, QUrl::TolerantMode);
    if (url.isRelative() && base.isValid())
        url = base.resolved(url);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return {};
    return url;
}

QList<DownloadRequest> downloadRequests(const QList<SongLink>& links)
{
    QList<DownloadRequest> requests;
    requests.reserve(links.size());
    for (qsizetype i = 0; i < links.size(); ++i)
        requests.append({songAddress(links.at(i).hrefHtml), plainTitle(links.at(i).titleHtml), int(i + 1)});
    return requests;
}

} // namespace Qorvin
