// SPDX-License-Identifier: MIT
#include "base/openforreading.h"

#include "base/fileerrortext.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Qorvin {

Outcome openForReading(QFile& file, const QString& filePath)
{
    // Opened by the system call itself, so that the errno the reason names is its own.
    const int handle = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return Outcome::failure(fileReadErrorText(filePath, errno));
    struct stat status
    {
    };
    int error = ::fstat(handle, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
    if (error == 0 && file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return Outcome::success();
    ::close(handle);
    return Outcome::failure(fileReadErrorText(filePath, error != 0 ? error : EIO));
}

} // namespace Qorvin
