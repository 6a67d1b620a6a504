// SPDX-License-Identifier: MIT
#include "app/browser/navigationtracker.h"

#include "search/navigationurl.h"

namespace Qorvin {

namespace {

constexpr qsizetype MaxReplacedUrls = 8;

} // namespace

NavigationTracker::Serial NavigationTracker::begin(const QUrl& url)
{
    if (m_serial != 0 && !m_answered) {
        m_replacedUrls.append(m_url);
        if (m_replacedUrls.size() > MaxReplacedUrls)
            m_replacedUrls.removeFirst();
    }
    ++m_serial;
    m_url = url;
    m_answered = false;
    return m_serial;
}

std::optional<NavigationTracker::Serial> NavigationTracker::claimFinishedLoad(const QUrl& reportedUrl)
{
    if (m_serial == 0 || m_answered)
        return std::nullopt;
    if (!sameDocument(reportedUrl, m_url)) {
        for (const QUrl& replaced : std::as_const(m_replacedUrls)) {
            if (sameDocument(reportedUrl, replaced))
                return std::nullopt;
        }
    }
    return claimLatest();
}

std::optional<NavigationTracker::Serial> NavigationTracker::claimWithoutLoad()
{
    if (m_serial == 0 || m_answered)
        return std::nullopt;
    return claimLatest();
}

std::optional<NavigationTracker::Serial> NavigationTracker::claimLatest()
{
    m_answered = true;
    m_replacedUrls.clear();
    return m_serial;
}

} // namespace Qorvin
