// SPDX-License-Identifier: MIT
// A complete download given its tags (download/songtags.h) before it takes its final name, with
// its audio left byte for byte as the server sent it.
#pragma once

#include "base/outcome.h"
#include "download/songtags.h"

#include <QString>

namespace Qorvin {

// Moves the MP3 at partPath to taggedPath and writes its tag there, synced. The file is changed in
// place: its old tags are overwritten or cut off, and where the new tag needs more room the file
// system inserts whole blocks before the audio, which moves no audio byte. Where it cannot
// (tmpfs, btrfs), a tagged copy is written instead and partPath stays. Since the file leaves
// partPath before it changes, a crash meanwhile never leaves a half-tagged file under the part's
// name or the final one. On failure, the reason in Chinese, and the song is back under partPath
// (changed as far as the tagging got, when the disk failed in the middle of it).
Outcome tagSongFile(const QString& partPath, const QString& taggedPath, const SongTagValues& values);

// Writes taggedPath (synced; removed again when it cannot be written whole) as the MP3 at sourcePath with the tag it
// should have, and leaves sourcePath as it was.
Outcome writeTaggedCopy(const QString& sourcePath, const QString& taggedPath, const SongTagValues& values);

// Where a download is tagged before it takes its final name: "<target>.tagging".
QString taggedCopyPathFor(const QString& targetPath);

} // namespace Qorvin
