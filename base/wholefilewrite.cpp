// SPDX-License-Identifier: MIT
#include "base/wholefilewrite.h"

#include "base/fileerrortext.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

namespace Qorvin {

Outcome writeWholeFile(const QString& filePath, const QByteArray& bytes)
{
    // Unbuffered, so that every write reaches QSaveFile's own check: a buffered write that fails
    // only when close() flushes it (a full disk) would otherwise be committed cut short.
    QSaveFile file(filePath);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Outcome::failure(fileErrorText(filePath, errno));
    if (file.write(bytes) != bytes.size())
        return Outcome::failure(fileErrorText(filePath, errno));
    if (!file.commit())
        return Outcome::failure(fileErrorText(filePath, errno));
    return Outcome::success();
}

Outcome replaceFileUnsynced(const QString& filePath, const QByteArray& bytes)
{
    const QString newPath = unsyncedNewPath(filePath);
    QFile file(newPath);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return Outcome::failure(fileErrorText(filePath, errno));
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        file.remove();
        return Outcome::failure(fileErrorText(filePath, error));
    }
    file.close();
    // rename() replaces the old file in one step, which QFile::rename does not do.
    if (std::rename(QFile::encodeName(newPath).constData(), QFile::encodeName(filePath).constData()) != 0) {
        const int error = errno;
        QFile::remove(newPath);
        return Outcome::failure(fileErrorText(filePath, error));
    }
    return Outcome::success();
}

QString unsyncedNewPath(const QString& filePath)
{
    return filePath + QStringLiteral(".new");
}

} // namespace Qorvin
