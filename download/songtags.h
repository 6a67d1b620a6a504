// SPDX-License-Identifier: MIT
// The ID3 tags of a downloaded song, written so that players of every age show them: one ID3v2.3
// tag, Chinese text in UTF-16, no ID3v1 or APE tag.
#pragma once

#include "base/outcome.h"

#include <QString>

namespace Qorvin {

struct SongTagValues
{
    QString title;        // as the result page shows it: "Name - Singer" or a bare name
    QString album;        // the batch's keyword or topic caption, for files without an album
    int trackNumber = 0;  // the song's row in its result page; 0 writes none
};

// Writes taggedPath as the MP3 at sourcePath with its tags made right, and leaves sourcePath as
// it was, so that nothing half tagged can remain under either name. The audio (everything after
// the ID3v2 tag, up to an ID3v1 or APE trailer) is copied byte for byte. The new tag holds:
// TIT2 the title's name, TPE1 its singer (the file's own when the title names none), TALB the
// file's own readable album or else values.album, TRCK the row, and every other frame of the file
// (cover pictures too) except comments and links that are only a web address. Text that was
// GBK stored as Latin-1 is read as GBK; the ID3v1 tag's fields fill in what the ID3v2 tag lacks.
// taggedPath is written through a temporary file and synced before it takes its name; the
// reason of a failure is in Chinese.
Outcome writeTaggedCopy(const QString& sourcePath, const QString& taggedPath, const SongTagValues& values);

// Where a download's tagged copy is made before it takes the final name: "<target>.tagging".
QString taggedCopyPathFor(const QString& targetPath);

} // namespace Qorvin
