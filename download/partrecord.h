// SPDX-License-Identifier: MIT
// The small record beside a part file that lets a later request continue it.
#pragma once

#include "base/outcome.h"

#include <QByteArray>
#include <QString>

namespace Qorvin {

struct PartRecord
{
    QString url;
    QByteArray etag;
    QByteArray lastModified;
    qint64 expectedSize = -1;

    // The If-Range value: a strong ETag, else the Last-Modified date; empty when neither is usable.
    QByteArray ifRange() const;
};

// "<target>.part" and "<target>.part.json".
QString partPathFor(const QString& targetPath);
QString partRecordPathFor(const QString& targetPath);

// An empty record (no url) when the file is missing or unreadable.
PartRecord readPartRecord(const QString& recordPath);
// Replaces the record whole; on failure the earlier record stays as it was. finalPath is written
// just before the complete file is renamed: the name it is given. The record is written while
// the download runs and until the queue has stored the song as complete, without waiting for
// the disk. A program killed meanwhile finds it all the same, and a sync for each record would
// cost a download more time than its bytes do.
Outcome writeRunningPartRecord(const QString& recordPath, const PartRecord& record,
                               const QString& finalPath = {});
// The final name the record holds; empty while the download is unfinished.
QString finalPathIn(const QString& recordPath);

// Removes the part file, its record and a tagged copy a killed run left.
void removePartFiles(const QString& targetPath);

} // namespace Qorvin
