// SPDX-License-Identifier: MIT
#include "app/legacyhtml/legacyinnerhtml.h"

#include "app/legacyhtml/gumboarena.h"

#include <string>
#include <string_view>
#include <vector>

namespace Qorvin {

namespace {

bool isVoidElement(const GumboElement& element)
{
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return false;
    switch (element.tag) {
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR:
        return true;
    default:
        return false;
    }
}

// Elements whose text the parser takes literally, so it is written back literally.
bool holdsRawText(const GumboElement& element)
{
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
        return false;
    switch (element.tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PLAINTEXT:
        return true;
    default:
        return false;
    }
}

std::string_view elementName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return gumbo_normalized_tagname(element.tag);
    GumboStringPiece name = element.original_tag;
    gumbo_tag_from_original_text(&name);
    return {name.data, name.length};
}

std::string_view attributeName(const GumboAttribute& attribute)
{
    if (attribute.original_name.length > 0)
        return {attribute.original_name.data, attribute.original_name.length};
    return attribute.name;
}

bool canGoUnquoted(std::string_view value)
{
    if (value.empty())
        return false;
    for (const char c : value) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '-' && c != '_' && c != '.' && c != ':' && c != '#')
            return false;
    }
    return true;
}

class InnerHtmlWriter
{
public:
    explicit InnerHtmlWriter(std::string& out) : m_out(out) {}

    // Writes the children of root and everything below them; root's own tags stay out.
    void writeInner(const GumboNode& root)
    {
        if (root.type != GUMBO_NODE_ELEMENT && root.type != GUMBO_NODE_TEMPLATE)
            return;
        // An explicit stack: a deeply nested page must not exhaust the C stack.
        std::vector<Frame> open;
        open.push_back({&root.v.element, {}, 0, false});
        while (!open.empty()) {
            Frame& frame = open.back();
            if (frame.next == frame.element->children.length) {
                if (frame.writeEndTag)
                    writeEndTag(frame.name);
                open.pop_back();
                continue;
            }
            const auto* child = static_cast<const GumboNode*>(frame.element->children.data[frame.next++]);
            switch (child->type) {
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement& element = child->v.element;
                const std::string_view name = elementName(element);
                writeStartTag(name, element);
                if (!isVoidElement(element))
                    open.push_back({&element, name, 0, !name.empty()});
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_CDATA:
                if (holdsRawText(*frame.element))
                    m_out.append(child->v.text.text);
                else
                    writeEscapedText(child->v.text.text);
                break;
            case GUMBO_NODE_WHITESPACE:
                m_out.append(child->v.text.text);
                break;
            case GUMBO_NODE_COMMENT:
                m_out.append("<!--");
                m_out.append(child->v.text.text);
                m_out.append("-->");
                break;
            case GUMBO_NODE_DOCUMENT:
                break;
            }
        }
    }

private:
    struct Frame
    {
        const GumboElement* element;
        std::string_view name;
        unsigned int next;
        bool writeEndTag;
    };

    void writeUpperCase(std::string_view name)
    {
        for (const char c : name)
            m_out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }

    void writeStartTag(std::string_view name, const GumboElement& element)
    {
        // An element without a name of its own cannot be written as a tag; its content still is.
        if (name.empty())
            return;
        m_out.push_back('<');
        writeUpperCase(name);
        for (unsigned int i = 0; i < element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            m_out.push_back(' ');
            m_out.append(attributeName(*attribute));
            m_out.push_back('=');
            writeAttributeValue(attribute->value);
        }
        m_out.push_back('>');
    }

    void writeEndTag(std::string_view name)
    {
        m_out.append("</");
        writeUpperCase(name);
        m_out.push_back('>');
    }

    void writeAttributeValue(std::string_view value)
    {
        if (canGoUnquoted(value)) {
            m_out.append(value);
            return;
        }
        m_out.push_back('"');
        std::size_t plainStart = 0;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const char c = value[i];
            if (c != '"' && c != '&')
                continue;
            m_out.append(value.substr(plainStart, i - plainStart));
            m_out.append(c == '"' ? "&quot;" : "&amp;");
            plainStart = i + 1;
        }
        m_out.append(value.substr(plainStart));
        m_out.push_back('"');
    }

    void writeEscapedText(std::string_view text)
    {
        std::size_t plainStart = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            std::string_view replacement;
            std::size_t consumed = 1;
            if (c == '&') {
                replacement = "&amp;";
            } else if (c == '<') {
                replacement = "&lt;";
            } else if (c == '>') {
                replacement = "&gt;";
            } else if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
                replacement = "&nbsp;"; // U+00A0 in UTF-8
                consumed = 2;
            } else {
                continue;
            }
            m_out.append(text.substr(plainStart, i - plainStart));
            m_out.append(replacement);
            i += consumed - 1;
            plainStart = i + 1;
        }
        m_out.append(text.substr(plainStart));
    }

    std::string& m_out;
};

} // namespace

QString legacyInnerHtml(const QString& documentHtml)
{
    const QByteArray utf8 = documentHtml.toUtf8();
    const GumboDocument document(utf8);
    if (!document.root())
        return {};
    std::string html;
    html.reserve(static_cast<std::size_t>(utf8.size()) + static_cast<std::size_t>(utf8.size()) / 8 + 64);
    InnerHtmlWriter(html).writeInner(*document.root());
    return QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size()));
}

} // namespace Qorvin
