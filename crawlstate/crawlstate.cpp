// SPDX-License-Identifier: MIT
#include "crawlstate/crawlstate.h"

#include <limits>

namespace Qorvin {

std::optional<qint16> checkedAdd16(qint16 value, int addend)
{
    const long long sum = static_cast<long long>(value) + addend;
    if (sum > std::numeric_limits<qint16>::max() || sum < std::numeric_limits<qint16>::min())
        return std::nullopt;
    return static_cast<qint16>(sum);
}

quint64 WorkingText::nextGeneration()
{
    // Everything runs on the one user-interface thread; the counter only has to be unique.
    static quint64 counter = 0;
    return ++counter;
}

void WorkingText::set(QString text)
{
    m_text = std::move(text);
    m_offset = 0;
    m_generation = nextGeneration();
}

QString WorkingText::text() const
{
    return m_offset == 0 ? m_text : m_text.mid(m_offset);
}

void WorkingText::keepLast(qsizetype n)
{
    Q_ASSERT(n >= 0);
    if (n < length())
        m_offset = m_text.size() - n;
}

void WorkingText::replaceAll(QStringView from, QStringView to)
{
    if (m_offset != 0) {
        m_text.remove(0, m_offset);
        m_offset = 0;
    }
    m_text.replace(from.toString(), to.toString());
    m_generation = nextGeneration();
}

bool TitleList::append(const QString& title)
{
    if (m_items.size() >= MaxListCount)
        return false;
    m_items.append(title);
    m_sorted.insert(title);
    return true;
}

void TitleList::clear()
{
    m_items.clear();
    m_sorted.clear();
}

bool TitleList::anyStartsWith(const QString& name) const
{
    // Titles beginning with name sort at or right after name itself.
    const auto it = m_sorted.lower_bound(name);
    return it != m_sorted.end() && it->startsWith(name);
}

} // namespace Qorvin
