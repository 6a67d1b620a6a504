// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/archiveoptions.h"

#include <QList>
#include <QtGlobal>

namespace Qorvin::LocalService {

// Faults on demand, so that the program can be tried against a slow or failing service.
// The first three count pages only (everything but the MP3 files); the download faults count and
// touch the MP3 files only. 0 (or an empty list) turns a fault off.
struct ServerOptions
{
    // Where the result pages and topic lists take their records from.
    enum class Source
    {
        Catalogue, // the built-in catalogue with generated melodies
        Archive,   // the Internet Archive's recordings
    };
    Source source = Source::Catalogue;
    ArchiveOptions archive = {};

    int delayMs = 0;      // every page is answered this much later
    int failEvery = 0;    // every Nth page fails: alternately a 500 page and a reset connection
    int stallEvery = 0;   // every Nth page sends its headers and half its body, then nothing more
    bool verbose = false; // one line per request on stderr: method, target, status, milliseconds

    qint64 dropAfterBytes = 0;       // the first answer for each file closes after this many body bytes
    qint64 rateKbps = 0;             // file bodies go out at most this many kilobits (1000 bits) a second
    bool ignoreRange = false;        // a range request for a file gets the whole file with 200
    int notMp3Every = 0;             // every Nth file request gets an HTML page with 200
    QList<qint64> missingSongs = {}; // these song ids answer 404
    QList<qint64> brokenSongs = {};  // these song ids answer 500
    int changeFileEvery = 0; // a song's file changes after every N requests for it; If-Range is ignored

    int idleTimeoutMs = 60000; // a connection waiting this long for a request is closed
    int headTimeoutMs = 10000; // a request's line and fields, once begun, must be whole in this time
    int bodyTimeoutMs = 30000; // and its body, when it announces one
};

} // namespace Qorvin::LocalService
