// SPDX-License-Identifier: MIT
// Which finished load answers which navigation: the last request wins, and each request is
// answered at most once.
#pragma once

#include <QList>
#include <QUrl>
#include <QtGlobal>

#include <optional>

namespace Qorvin {

class NavigationTracker
{
public:
    using Serial = quint64;

    // A new request; it replaces every earlier one, answered or not.
    Serial begin(const QUrl& url);

    // The engine finished loading a top-level document at reportedUrl (successfully or with its
    // error page). Returns the serial of the request this answers, or nothing when the load is
    // none of the latest request's: no request yet, the latest already answered, or the load is
    // one the engine finished for a request that was replaced before it was answered (its news
    // can arrive after the replacing request was made).
    std::optional<Serial> claimFinishedLoad(const QUrl& reportedUrl);

    // The latest request completed without a load of its own (a move inside the same document).
    std::optional<Serial> claimWithoutLoad();

    bool isLatest(Serial serial) const { return serial == m_serial && serial != 0; }
    QUrl latestUrl() const { return m_url; }

private:
    std::optional<Serial> claimLatest();

    Serial m_serial = 0;
    QUrl m_url;
    bool m_answered = false;
    // Requests replaced before they were answered, oldest first; a few are enough, as the engine
    // reports a replaced load at most once and soon after.
    QList<QUrl> m_replacedUrls;
};

} // namespace Qorvin
