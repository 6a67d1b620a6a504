// SPDX-License-Identifier: MIT
#include "scrape/markerfinder.h"

namespace Qorvin {

qsizetype MarkerFinder::find(const WorkingText& text)
{
    const qsizetype start = text.offset();
    const bool known = m_searchedFrom >= 0 && text.generation() == m_generation && m_searchedFrom <= start &&
                       (m_foundAt < 0 || m_foundAt >= start);
    if (!known) {
        const qsizetype index = m_matcher.indexIn(text.view());
        m_generation = text.generation();
        m_searchedFrom = start;
        m_foundAt = index < 0 ? -1 : start + index;
    }
    return m_foundAt < 0 ? 0 : m_foundAt - start + 1;
}

} // namespace Qorvin
