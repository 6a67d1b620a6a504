// SPDX-License-Identifier: MIT
// What the download queue is asked to fetch: plain values, decoded from the page before they get here.
#pragma once

#include <QString>
#include <QUrl>

namespace Qorvin {

struct DownloadRequest
{
    QUrl url;       // the song's address; an invalid one is queued and reported as failed
    QString title;  // plain text, as the page shows it
    int number = 0; // the song's row in its result page, from 1; 0 when it has none
};

} // namespace Qorvin
