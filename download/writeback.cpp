// SPDX-License-Identifier: MIT
#include "download/writeback.h"

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Qorvin {

void startWriteback(int fileHandle, qint64 offset, qint64 length)
{
#ifdef Q_OS_LINUX
    // Only starts the writing: a failure here shows again, and is reported, at the final sync.
    ::sync_file_range(fileHandle, offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(fileHandle);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

int syncFileData(int fileHandle)
{
#if defined(Q_OS_LINUX)
    // fdatasync also writes the size and the block map; only times of access are left out.
    return ::fdatasync(fileHandle) == 0 ? 0 : errno;
#elif defined(Q_OS_UNIX)
    return ::fsync(fileHandle) == 0 ? 0 : errno;
#else
    Q_UNUSED(fileHandle);
    return 0;
#endif
}

} // namespace Qorvin
