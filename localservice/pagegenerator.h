// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/catalogue.h"
#include "localservice/topiclists.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace Qorvin::LocalService {

// One record of a result page drawn from elsewhere than the catalogue: the file's address (already
// percent-encoded), the title shown in its anchor and the singer column.
struct PageRecord
{
    QString address;
    QString title;
    QString singer;
};

// Every page the service serves, as HTML text (encodeGbkPage() turns it into the bytes sent).
// The markers the program's scrapers rely on are written so that the raw text already shows
// them as a browser of the time serialized them: anchors as <A href="..." target=_blank>...</A>.
class PageGenerator
{
public:
    explicit PageGenerator(const Catalogue& catalogue = Catalogue::builtIn());

    // The result page /m for word (decoded), with the records from offset on, 30 a page.
    // An empty word, or an offset past the last record, gives a page without records.
    QString searchPage(const QString& word, int offset) const;

    // A result page of records found elsewhere: `records` are the ones from `offset` on (at most
    // 30), `total` the count the page announces. `notice`, when not empty, is a line of text shown
    // in place of the records when there are none (an error reaching the source).
    QString recordsPage(const QString& word, int offset, const QList<PageRecord>& records, qsizetype total,
                        const QString& notice = {}) const;

    // A list page of the topic with these entries; `notice` as for recordsPage, shown above the list.
    QString topicListPageWith(qsizetype topicIndex, const QStringList& entries,
                              const QString& notice = {}) const;

    // The page refusing a query that could not be read (answered with 400).
    QString badQueryPage(const QString& reason) const;

    // One of the twelve list pages of the list host, or nothing for another path.
    std::optional<QString> topicListPage(const QString& path) const;

    QString makerHomePage() const;
    QString forumPage() const;
    QString notFoundPage(const QString& path) const;
    QString serverErrorPage() const;

    // Where the search's records say a copy of a song is: the music host, the mirror, the id.
    static QString songAddress(SongId id, int mirror, bool upperCaseExtension = false);

    static constexpr int RecordsPerPage = 30;

private:
    void appendRecord(QString& html, SongId id, int mirror, int number) const;
    QString makeTopicListPage(qsizetype topicIndex) const;

    const Catalogue& m_catalogue;
    TopicLists m_topicLists;
    // The list pages never change: made once with the lists, then handed out shared.
    QStringList m_topicPages;
};

} // namespace Qorvin::LocalService
