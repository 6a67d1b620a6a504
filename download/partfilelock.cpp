// SPDX-License-Identifier: MIT
#include "download/partfilelock.h"

#include <QFile>

#include <cerrno>

#include <sys/file.h>

namespace Qorvin {

bool lockForWriting(QFile& file)
{
    if (::flock(file.handle(), LOCK_EX | LOCK_NB) == 0)
        return true;
    return errno != EWOULDBLOCK;
}

} // namespace Qorvin
