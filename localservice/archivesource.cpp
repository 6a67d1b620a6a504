// SPDX-License-Identifier: MIT
#include "localservice/archivesource.h"

#include "localservice/archivetopics.h"

#include <QSet>

#include <algorithm>

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

namespace {

// The Archive refuses to page a sorted search past this many items.
constexpr qsizetype MaxItemsPerKeyword = 10000;
// Records read beyond the page asked for, so that the next page is mostly ready when it is asked
// for.
constexpr qsizetype LookaheadRecords = PageGenerator::RecordsPerPage;

const QString SearchSort = u"downloads desc"_s;
// Said when a search answer is JSON but lacks response.docs.
const QString MalformedSearchAnswer = u"搜索回答的结构不对"_s;

QString unreachableNotice(const QString& reason)
{
    return u"无法连接 Internet Archive："_s + reason;
}

QString baseAddress(const QUrl& address)
{
    QString base = QString::fromLatin1(address.toEncoded(QUrl::RemoveQuery | QUrl::RemoveFragment));
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}

} // namespace

struct ArchiveSource::Stream
{
    struct Item
    {
        ArchiveItem item;
        enum State
        {
            Waiting,
            Loading,
            Read,
        } state = Waiting;
        QList<ArchiveRecording> recordings;
    };
    struct Asker
    {
        int offset;
        PageReady ready;
    };

    QString word;
    QList<Item> items;
    QSet<QString> identifiers;
    qsizetype itemsInRecords = 0; // the items before this one are in `records`
    QList<PageRecord> records;
    int searchPagesRead = 0;
    bool searching = false;
    bool searchedAll = false;
    int itemsLoading = 0;
    qsizetype wanted = 0; // records to have read
    QString error;        // why reading stopped; cleared when a page is asked for again
    QList<Asker> askers;

    bool finished() const { return searchedAll && itemsInRecords == items.size(); }
    bool busy() const { return searching || itemsLoading > 0; }
};

ArchiveSource::ArchiveSource(const ArchiveOptions& options, const PageGenerator& pages, QObject* parent)
    : QObject(parent), m_client(options), m_pages(pages)
{
}

ArchiveSource::~ArchiveSource() = default;

QUrl ArchiveSource::searchAddress(const QString& query, const QString& sort, int rows, int page) const
{
    const auto encoded = [](const QString& text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text));
    };
    return QUrl::fromEncoded(
        (baseAddress(m_client.options().address) + u"/advancedsearch.php?q="_s + encoded(query) +
         u"&fl%5B%5D=identifier&fl%5B%5D=title&fl%5B%5D=creator&sort%5B%5D="_s + encoded(sort) + u"&rows="_s +
         QString::number(rows) + u"&page="_s + QString::number(page) + u"&output=json"_s)
            .toLatin1());
}

QUrl ArchiveSource::metadataAddress(const QString& identifier) const
{
    return QUrl::fromEncoded(baseAddress(m_client.options().address).toLatin1() + "/metadata/" +
                             QUrl::toPercentEncoding(identifier));
}

std::shared_ptr<ArchiveSource::Stream> ArchiveSource::streamFor(const QString& word)
{
    for (qsizetype i = 0; i < m_streams.size(); ++i) {
        if (m_streams[i]->word == word) {
            m_streams.move(i, m_streams.size() - 1);
            return m_streams.last();
        }
    }
    auto stream = std::make_shared<Stream>();
    stream->word = word;
    m_streams.append(stream);
    // The least recently asked for goes first; one still reading for a page stays.
    for (qsizetype i = 0; m_streams.size() > KeptKeywords && i < m_streams.size() - 1;) {
        if (m_streams[i]->askers.isEmpty())
            m_streams.removeAt(i);
        else
            ++i;
    }
    return stream;
}

void ArchiveSource::resultPage(const QString& word, int offset, PageReady ready)
{
    const QString terms = word.simplified();
    if (terms.isEmpty()) {
        ready({200, m_pages.recordsPage(word, offset, {}, 0)});
        return;
    }
    const std::shared_ptr<Stream> stream = streamFor(word);
    offset = qMax(0, offset);
    const qsizetype pageEnd = qsizetype(offset) + PageGenerator::RecordsPerPage;
    if (stream->records.size() >= pageEnd || stream->finished()) {
        ready(pageOf(*stream, offset)); // read already: no request, no wait
        if (stream->error.isEmpty() && offset > 0) {
            stream->wanted = qMax(stream->wanted, pageEnd + LookaheadRecords);
            advance(stream); // and the next page is read ahead
        }
        return;
    }
    stream->error.clear();
    stream->askers.append({offset, std::move(ready)});
    advance(stream);
}

SourcePage ArchiveSource::pageOf(const Stream& stream, int offset) const
{
    const QList<PageRecord> shown = offset < stream.records.size()
                                        ? stream.records.mid(offset, PageGenerator::RecordsPerPage)
                                        : QList<PageRecord>();
    if (shown.isEmpty() && !stream.error.isEmpty())
        return {502, m_pages.recordsPage(stream.word, offset, {}, stream.records.size(),
                                         unreachableNotice(stream.error))};
    // While more may come, the count is one past what is read, so the pager offers a next page.
    const qsizetype total = stream.records.size() + (stream.finished() ? 0 : 1);
    return {200, m_pages.recordsPage(stream.word, offset, shown, total)};
}

void ArchiveSource::advance(const std::shared_ptr<Stream>& stream)
{
    Stream& s = *stream;
    while (s.itemsInRecords < s.items.size() && s.items[s.itemsInRecords].state == Stream::Item::Read) {
        for (const ArchiveRecording& recording : std::as_const(s.items[s.itemsInRecords].recordings))
            s.records.append(PageRecord{recording.address, recording.title, recording.singer});
        ++s.itemsInRecords;
    }

    // Answer who can be answered: their page is read, or nothing more can be read now.
    const bool stuck = !s.error.isEmpty() && !s.busy();
    for (qsizetype i = 0; i < s.askers.size();) {
        const Stream::Asker& asker = s.askers[i];
        if (s.records.size() >= qsizetype(asker.offset) + PageGenerator::RecordsPerPage || s.finished() ||
            stuck) {
            const Stream::Asker answered = s.askers.takeAt(i);
            answered.ready(pageOf(s, answered.offset));
        } else {
            // A first page is often the only one read (a topic crawl takes one song a name): the
            // pages after it are read ahead only once a second page was asked for.
            const qsizetype ahead = asker.offset > 0 ? LookaheadRecords : 0;
            s.wanted = qMax(s.wanted, qsizetype(asker.offset) + PageGenerator::RecordsPerPage + ahead);
            ++i;
        }
    }
    if (!s.error.isEmpty())
        return; // read on when a page is asked for again

    // Read file lists in order until enough records are on their way; an item not read yet
    // counts as one record.
    qsizetype expected = s.records.size();
    qsizetype next = -1;
    for (qsizetype i = s.itemsInRecords; i < s.items.size(); ++i) {
        const Stream::Item& item = s.items[i];
        if (item.state == Stream::Item::Read)
            expected += item.recordings.size();
        else if (item.state == Stream::Item::Loading)
            ++expected;
        else if (next < 0)
            next = i;
    }
    const int maxInFlight = m_client.options().maxInFlight;
    for (qsizetype i = qMax<qsizetype>(next, 0);
         next >= 0 && i < s.items.size() && expected < s.wanted && s.itemsLoading < maxInFlight; ++i) {
        if (s.items[i].state != Stream::Item::Waiting)
            continue;
        readItem(stream, i);
        ++expected;
    }
    const bool allItemsTaken = std::all_of(s.items.cbegin(), s.items.cend(), [](const Stream::Item& item) {
        return item.state != Stream::Item::Waiting;
    });
    if (expected < s.wanted && allItemsTaken && !s.searchedAll && !s.searching)
        readSearchPage(stream);
}

void ArchiveSource::readSearchPage(const std::shared_ptr<Stream>& stream)
{
    stream->searching = true;
    const QString query = u"("_s + luceneEscaped(stream->word.simplified()) + u") AND mediatype:(audio)"_s;
    const QUrl address = searchAddress(query, SearchSort, ItemsPerSearch, stream->searchPagesRead + 1);
    m_client.get(address, [this, stream](const ArchiveAnswer& answer) {
        Stream& s = *stream;
        s.searching = false;
        const std::optional<ArchiveSearchPage> page =
            answer.json ? archiveSearchPageOf(*answer.json) : std::optional<ArchiveSearchPage>();
        if (!answer.json) {
            s.error = answer.error;
        } else if (!page) {
            s.error = MalformedSearchAnswer;
        } else {
            ++s.searchPagesRead;
            const qsizetype itemsBefore = s.items.size();
            for (const ArchiveItem& item : page->items) {
                if (!s.identifiers.contains(item.identifier) && s.items.size() < MaxItemsPerKeyword) {
                    s.identifiers.insert(item.identifier);
                    s.items.append(Stream::Item{item, Stream::Item::Waiting, {}});
                }
            }
            // A page that brings nothing new ends the paging, whatever numFound claims: an archive
            // that repeats its documents would otherwise be paged without end.
            const qint64 pagedItems = qint64(s.searchPagesRead) * ItemsPerSearch;
            s.searchedAll = s.items.size() == itemsBefore || s.items.size() >= page->found ||
                            s.items.size() >= MaxItemsPerKeyword || pagedItems >= page->found ||
                            pagedItems >= MaxItemsPerKeyword;
        }
        advance(stream);
    });
}

void ArchiveSource::readItem(const std::shared_ptr<Stream>& stream, qsizetype index)
{
    Stream::Item& item = stream->items[index];
    item.state = Stream::Item::Loading;
    ++stream->itemsLoading;
    m_client.get(metadataAddress(item.item.identifier), [this, stream, index](const ArchiveAnswer& answer) {
        Stream& s = *stream;
        Stream::Item& read = s.items[index];
        --s.itemsLoading;
        if (answer.json) {
            read.recordings = archiveRecordingsOf(*answer.json, read.item, m_client.options().address);
            read.state = Stream::Item::Read;
        } else if (answer.unreachable) {
            read.state = Stream::Item::Waiting; // asked again with the next page
            s.error = answer.error;
        } else {
            read.state = Stream::Item::Read; // an item that cannot be read is skipped
        }
        advance(stream);
    });
}

void ArchiveSource::topicListPage(qsizetype topicIndex, PageReady ready)
{
    const ArchiveTopic& topic = archiveTopics()[topicIndex];
    // Creators repeat: more items are read to find as many different ones.
    const int rows = topic.field == ArchiveTopic::Creator ? topic.names * 3 : topic.names;
    m_client.get(searchAddress(topic.query, topic.sort, rows, 1),
                 [this, topicIndex, ready = std::move(ready)](const ArchiveAnswer& answer) {
                     const ArchiveTopic& shown = archiveTopics()[topicIndex];
                     const std::optional<ArchiveSearchPage> page =
                         answer.json ? archiveSearchPageOf(*answer.json) : std::optional<ArchiveSearchPage>();
                     if (!page) {
                         const QString reason = answer.json ? MalformedSearchAnswer : answer.error;
                         ready({502, m_pages.topicListPageWith(topicIndex, {}, unreachableNotice(reason))});
                         return;
                     }
                     QStringList names;
                     QSet<QString> seen;
                     for (const ArchiveItem& item : page->items) {
                         const QString name =
                             shown.field == ArchiveTopic::Creator ? item.creator : item.title;
                         if (!name.isEmpty() && !seen.contains(name) && names.size() < shown.names) {
                             seen.insert(name);
                             names.append(name);
                         }
                     }
                     ready({200, m_pages.topicListPageWith(topicIndex, names)});
                 });
}

} // namespace Qorvin::LocalService
