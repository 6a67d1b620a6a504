// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

namespace Qorvin::LocalService {

// A page made by a record source, with the status it goes out with.
struct SourcePage
{
    int status = 200;
    QString html;
};

using PageReady = std::function<void(SourcePage)>;

// Where the result pages and the topic lists take their records from. An answer may come at once
// or later, from the event loop; it comes exactly once.
class RecordSource
{
public:
    virtual ~RecordSource() = default;
    // The result page for the decoded word, with the records from offset on.
    virtual void resultPage(const QString& word, int offset, PageReady ready) = 0;
    // The list page of topics()[topicIndex].
    virtual void topicListPage(qsizetype topicIndex, PageReady ready) = 0;
    // A line for the log when the source cannot work (no TLS, say); empty when it can.
    virtual QString startProblem() const { return {}; }
};

} // namespace Qorvin::LocalService
