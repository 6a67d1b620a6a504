// SPDX-License-Identifier: MIT
// Finds one marker in the unread tail of a working text, remembering the last answer.
#pragma once

#include "crawlstate/crawlstate.h"

#include <QString>
#include <QStringMatcher>
#include <QStringView>

namespace Qorvin {

// Cutting the text only moves the start of the tail, so once the marker was found at (or was
// known to be missing beyond) some place, that answer stays right for every later start up to
// the place found. A page without the marker is therefore scanned once, not once per record.
class MarkerFinder
{
public:
    explicit MarkerFinder(QStringView marker) : m_matcher(marker.toString()) {}

    // 1-based position of the marker in text.view(), 0 when it does not occur.
    qsizetype find(const WorkingText& text);

private:
    QStringMatcher m_matcher;
    quint64 m_generation = 0;
    qsizetype m_searchedFrom = -1; // where in the whole text the last search started
    qsizetype m_foundAt = -1;      // where in the whole text it found the marker, -1 for nowhere
};

} // namespace Qorvin
