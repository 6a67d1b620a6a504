// SPDX-License-Identifier: MIT
#include "base/wholefilewrite.h"

#include "base/fileerrortext.h"

#include <QSaveFile>

#include <cerrno>

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

} // namespace Qorvin
