// SPDX-License-Identifier: MIT
#include "resultpage/resultpagewriter.h"

#include "base/gbktext.h"
#include "base/wholefilewrite.h"
#include "crawlstate/queryurl.h"
#include "resultpage/resultpagetemplate.h"

#include <initializer_list>
#include <optional>

namespace Qorvin {

namespace {

namespace T = ResultPageTemplate;

// The lists' counts are 16-bit: a crawl never holds more songs than this.
constexpr qsizetype MaxSongCount = 32767;

// A rough size per row (fixed pieces plus a typical link twice and a title), so that a long page
// is built without reallocating.
constexpr qsizetype RowBytesEstimate = 320;
constexpr qsizetype HeadBytesEstimate = 8192;

class PageBuilder
{
public:
    explicit PageBuilder(qsizetype rowCount)
    {
        m_bytes.reserve(HeadBytesEstimate + rowCount * RowBytesEstimate);
    }

    bool isValid() const { return m_gbk.isValid(); }

    // Fixed pieces of the page.
    PageBuilder& fixed(QStringView piece)
    {
        m_gbk.append(m_bytes, piece);
        return *this;
    }
    // Values from the crawl, written as they are.
    PageBuilder& value(QStringView text)
    {
        m_gbk.append(m_bytes, text);
        return *this;
    }
    PageBuilder& bytes(const QByteArray& encoded)
    {
        m_bytes.append(encoded);
        return *this;
    }
    PageBuilder& number(qsizetype n)
    {
        m_bytes.append(QByteArray::number(n));
        return *this;
    }
    PageBuilder& endLine()
    {
        m_bytes.append("\r\n", 2);
        return *this;
    }
    template <std::size_t N> PageBuilder& lines(const std::array<QStringView, N>& pieces)
    {
        for (const QStringView line : pieces)
            fixed(line).endLine();
        return *this;
    }

    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
    GbkTextEncoder m_gbk;
};

// The link goes into a single-quoted href: an apostrophe in it would end the attribute early and
// let the rest of the link write attributes of its own, so there it becomes &#39;.
QString hrefSafe(const QString& link)
{
    if (!link.contains(u'\''))
        return link;
    QString safe = link;
    safe.replace(u'\'', QStringLiteral("&#39;"));
    return safe;
}

// Pieces joined by line ends: {a, b} is a, CR LF, b; an empty piece at either end stands for a
// line end there.
QByteArray encodedLines(std::initializer_list<QStringView> pieces)
{
    GbkTextEncoder gbk;
    QByteArray bytes;
    bool first = true;
    for (const QStringView piece : pieces) {
        if (!first)
            bytes.append("\r\n", 2);
        gbk.append(bytes, piece);
        first = false;
    }
    return bytes;
}

std::optional<QString> refusal(const QStringList& titles, const QStringList& links)
{
    if (links.size() < titles.size())
        return QStringLiteral("歌名有 %1 个，下载地址只有 %2 个").arg(titles.size()).arg(links.size());
    if (titles.size() > MaxSongCount)
        return QStringLiteral("%1 首歌超过了一页能放的 %2 首").arg(titles.size()).arg(MaxSongCount);
    return std::nullopt;
}

QByteArray buildPage(PageBuilder& page, const QString& keyword, const QStringList& titles,
                     const QStringList& links)
{
    page.lines(T::linesBeforeMaker);
    page.fixed(T::makerLineStart)
        .value(makerHomeUrl())
        .fixed(T::makerLineMiddle)
        .value(makerSiteName())
        .fixed(T::makerLineEnd)
        .endLine();
    page.lines(T::linesBeforeKeyword);
    page.fixed(T::keywordLineStart).value(keyword).fixed(T::keywordLineEnd).endLine();
    page.lines(T::linesAfterKeyword);

    // The fixed text between the values of a row is the same for every song: it is encoded once.
    const QByteArray beforeNumber = encodedLines({T::rowStart, T::rowNumberStart});
    const QByteArray beforeHref = encodedLines({T::rowNumberEnd, T::rowLinkStart});
    const QByteArray beforeTitle = encodedLines({T::rowLinkEnd, {}});
    const QByteArray beforeLinkText = encodedLines({T::rowTitleEnd, T::rowLinkTextStart});
    const QByteArray afterLinkText = encodedLines({{}, T::rowLinkTextEnd, T::rowEnd, {}});

    const qsizetype songCount = titles.size();
    for (qsizetype i = 0; i < songCount; ++i) {
        const QString& link = links.at(i);
        page.bytes(beforeNumber).number(i + 1);
        page.bytes(beforeHref).value(hrefSafe(link));
        page.bytes(beforeTitle).value(titles.at(i));
        page.bytes(beforeLinkText).value(link);
        page.bytes(afterLinkText);
    }

    page.lines(T::endLines);
    return page.take();
}

} // namespace

QByteArray resultPageBytes(const QString& keyword, const QStringList& titles, const QStringList& links)
{
    if (refusal(titles, links))
        return {};
    PageBuilder page(titles.size());
    if (!page.isValid())
        return {};
    return buildPage(page, keyword, titles, links);
}

Outcome ResultPageWriter(const QString& filePath, const QString& keyword, const QStringList& titles,
                         const QStringList& links)
{
    if (const std::optional<QString> reason = refusal(titles, links))
        return {false, *reason};
    PageBuilder page(titles.size());
    if (!page.isValid())
        return {false, QStringLiteral("系统缺少 GBK 文字转换")};
    const QByteArray bytes = buildPage(page, keyword, titles, links);

    // The new page is written beside the old one and renamed over it only when complete.
    return writeWholeFile(filePath, bytes);
}

} // namespace Qorvin
