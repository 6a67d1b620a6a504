// SPDX-License-Identifier: MIT
// One writer per part file: two downloads of one song into one folder, in this program or in
// another one (the window and the command line), would otherwise write the same file at once.
#pragma once

class QFile;

namespace Qorvin {

// Takes an exclusive lock on the open file without waiting. The lock lasts until the file is
// closed or the process ends, whatever way it ends. False only when another opening of the file
// holds it; where the file system has no such locks the file counts as free.
bool lockForWriting(QFile& file);

} // namespace Qorvin
