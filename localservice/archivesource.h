// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/archiveclient.h"
#include "localservice/archiverecords.h"
#include "localservice/pagegenerator.h"
#include "localservice/recordsource.h"

#include <QObject>
#include <QSet>

#include <memory>

namespace Qorvin::LocalService {

// Result pages and topic lists from the Internet Archive's recordings. A keyword's records form
// a stream read lazily: search pages of 50 items, then each item's file list, only as far as the
// pages asked for reach (and, from the second page on, one page ahead). The streams of the last 64 keywords
// are kept, so a next page never asks again for an item already read.
class ArchiveSource : public QObject, public RecordSource
{
    Q_OBJECT

public:
    ArchiveSource(const ArchiveOptions& options, const PageGenerator& pages, QObject* parent = nullptr);
    ~ArchiveSource() override;

    void resultPage(const QString& word, int offset, PageReady ready) override;
    void topicListPage(qsizetype topicIndex, PageReady ready) override;
    QString startProblem() const override { return m_client.tlsProblem(); }

    static constexpr int ItemsPerSearch = 50;
    static constexpr qsizetype KeptKeywords = 64;

private:
    struct Stream;
    std::shared_ptr<Stream> streamFor(const QString& word);
    void advance(const std::shared_ptr<Stream>& stream);
    void readSearchPage(const std::shared_ptr<Stream>& stream);
    void readItem(const std::shared_ptr<Stream>& stream, qsizetype index);
    SourcePage pageOf(const Stream& stream, int offset) const;
    QUrl searchAddress(const QString& query, const QString& sort, int rows, int page) const;
    QUrl metadataAddress(const QString& identifier) const;

    ArchiveClient m_client;
    const PageGenerator& m_pages;
    QList<std::shared_ptr<Stream>> m_streams; // the most recently asked for last
};

} // namespace Qorvin::LocalService
