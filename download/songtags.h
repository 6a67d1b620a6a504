// SPDX-License-Identifier: MIT
// The ID3 tag a downloaded song should have so that players of every age show it: one ID3v2.3
// tag, Chinese text in UTF-16, no ID3v1 or APE tag (download/taggedfile.h writes it).
#pragma once

#include "base/outcome.h"

#include <QByteArray>
#include <QString>

namespace Qorvin {

struct SongTagValues
{
    QString title;       // as the result page shows it: "Name - Singer" or a bare name
    QString album;       // the batch's keyword or topic caption, for files without an album
    int trackNumber = 0; // the song's row in its result page; 0 writes none
};

// How a downloaded MP3 is to be tagged: its new tag, and where its audio lies now.
struct SongTagPlan
{
    QByteArray tag;        // a whole ID3v2.3 tag without padding
    qint64 audioStart = 0; // the end of the file's own ID3v2 tag, padding included
    qint64 audioEnd = 0;   // where its APE or ID3v1 tag begins, else its size
};

// Reads the MP3 at path (and changes nothing) for the tag it should have: TIT2 the title's name,
// TPE1 its singer (the file's own when the title names none), TALB the file's own readable album
// or else values.album, TRCK the row, and every other frame of the file (cover pictures too)
// except comments and links that are only a web address. Text that was GBK stored as Latin-1 is
// read as GBK; the ID3v1 tag's fields fill in what the ID3v2 tag lacks. Fails, with the reason in
// Chinese, on an empty file, one TagLib cannot read, or one that holds tags and no audio.
Outcome planSongTags(const QString& path, const SongTagValues& values, SongTagPlan* plan);

// tag (a whole ID3v2 tag) grown with zeros to totalBytes, its header saying so.
QByteArray paddedTag(const QByteArray& tag, qint64 totalBytes);

} // namespace Qorvin
