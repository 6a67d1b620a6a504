// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/catalogue.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace Qorvin::LocalService {

// One of the twelve lists of the list host: its path (without the fragment the program appends)
// and its heading, the topic label's caption without its trailing blank.
struct Topic
{
    QString path;
    QString heading;
};

// The twelve topics, in the order of the program's topic menu.
const QList<Topic>& topics();

// The entries of every topic list, drawn once from the catalogue. Each entry is a name that
// the search finds: a song name, or a singer on the singers' list.
class TopicLists
{
public:
    explicit TopicLists(const Catalogue& catalogue);

    // Index into topics(), or -1. A fragment ("#top10") or a query after the path is ignored.
    static qsizetype topicIndexOf(QStringView path);

    const QStringList& entries(qsizetype topicIndex) const { return m_entries[topicIndex]; }

private:
    QList<QStringList> m_entries;
};

} // namespace Qorvin::LocalService
