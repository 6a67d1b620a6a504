// SPDX-License-Identifier: MIT
#include "download/makefolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <sys/stat.h>

namespace Qorvin {

int makeFolderPath(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    // Each level from the top: a level that exists already is passed, any other failure is the answer.
    for (qsizetype slash = clean.indexOf(u'/', 1);; slash = clean.indexOf(u'/', slash + 1)) {
        const QByteArray level = QFile::encodeName(slash < 0 ? clean : clean.left(slash));
        if (::mkdir(level.constData(), 0777) != 0) {
            const int error = errno;
            struct stat info;
            if (error != EEXIST)
                return error;
            if (::stat(level.constData(), &info) == 0 && !S_ISDIR(info.st_mode))
                return ENOTDIR;
        }
        if (slash < 0)
            return 0;
    }
}

} // namespace Qorvin
