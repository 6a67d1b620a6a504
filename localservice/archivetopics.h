// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

namespace Qorvin::LocalService {

// How one topic list is drawn from the Archive: the items a query finds, in an order, and which
// of their fields becomes the names the topic crawl then searches for.
struct ArchiveTopic
{
    QString heading; // as in topics()
    QString query;   // a Lucene query, audio items only
    QString sort;    // the search's sort[] value
    int names;       // how many names the list shows at most
    enum Field
    {
        Title,
        Creator,
    } field = Title;
};

// The twelve topics in the order of topics(): the one table of them in the code. README.md shows it.
const QList<ArchiveTopic>& archiveTopics();

} // namespace Qorvin::LocalService
