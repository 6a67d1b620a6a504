// SPDX-License-Identifier: MIT
// Writing a file's bytes to the disk early, so that the sync at its end has little left to wait for.
#pragma once

#include <QtGlobal>

namespace Qorvin {

// Asks the system to start writing the given bytes of the open file to the disk without waiting for
// it. Where there is no such request this does nothing: the final sync then does all the work.
void startWriteback(int fileHandle, qint64 offset, qint64 length);

// Waits until the file's bytes, and what is needed to read them back (its size), are on the disk.
// Returns 0, or the error number.
int syncFileData(int fileHandle);

} // namespace Qorvin
