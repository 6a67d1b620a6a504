// SPDX-License-Identifier: MIT
// What the download queue is asked to fetch, and how the batch's files are named and tagged: plain
// values, decoded from the page before they get here.
#pragma once

#include "download/songfilename.h"

#include <QString>
#include <QUrl>

namespace Qorvin {

struct DownloadRequest
{
    QUrl url;       // the song's address; an invalid one is queued and reported as failed
    QString title;  // plain text, as the page shows it
    int number = 0; // the song's row in its result page, from 1; 0 when it has none
};

struct BatchChoices
{
    // How the files are named (download/songfilename.h); "/" makes folders inside the batch's.
    QString nameTemplate = QString::fromUtf16(DefaultNameTemplate);
    // The program's switches turn this on; the queue alone keeps the server's bytes as they are.
    bool writeTags = false;
    // The album for files without one of their own, and {keyword}, when the batch's keyword is
    // empty (a batch without a playlist); the keyword otherwise.
    QString caption;
};

} // namespace Qorvin
