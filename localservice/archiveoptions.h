// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

namespace Qorvin::LocalService {

// How the service talks to the Internet Archive. The defaults are the polite ones; tests shorten
// the waits and point the address at a fake on 127.0.0.1.
struct ArchiveOptions
{
    QUrl address = QUrl(QStringLiteral("https://archive.org"));
    QString cacheFolder;                      // empty: answers are not kept on disk
    qint64 cacheBytes = 64 * 1024 * 1024;     // the folder's files together stay under this
    qint64 cacheMaxAgeSeconds = 24 * 60 * 60; // older entries are asked for again
    int maxInFlight = 4;                      // requests to the Archive at once
    int connectTimeoutMs = 10 * 1000;         // until the request is on its way
    int answerTimeoutMs = 30 * 1000;          // for the whole answer
    qint64 maxAnswerBytes = 16 * 1024 * 1024; // a larger answer is dropped
    int maxRetryAfterSeconds = 60;            // a longer Retry-After is cut to this
    int busyRetries = 2;                      // 429 or 503: asked again at most this often
    int unreachableQuietMs = 30 * 1000;       // after a failure to connect, no try for this long
};

} // namespace Qorvin::LocalService
