// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/pagegenerator.h"
#include "localservice/recordsource.h"

namespace Qorvin::LocalService {

// The built-in catalogue: every page is made at once.
class CatalogueSource : public RecordSource
{
public:
    explicit CatalogueSource(const PageGenerator& pages) : m_pages(pages) {}

    void resultPage(const QString& word, int offset, PageReady ready) override
    {
        ready({200, m_pages.searchPage(word, offset)});
    }
    void topicListPage(qsizetype topicIndex, PageReady ready) override
    {
        ready({200, m_pages.topicListPage(topics()[topicIndex].path).value_or(QString())});
    }

private:
    const PageGenerator& m_pages;
};

} // namespace Qorvin::LocalService
