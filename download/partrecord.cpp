// SPDX-License-Identifier: MIT
#include "download/partrecord.h"

#include "base/wholefilewrite.h"
#include "download/taggedfile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace Qorvin {

QByteArray PartRecord::ifRange() const
{
    // A weak ETag may not be used in If-Range.
    if (!etag.isEmpty() && !etag.startsWith("W/"))
        return etag;
    return lastModified;
}

QString partPathFor(const QString& targetPath)
{
    return targetPath + QStringLiteral(".part");
}

QString partRecordPathFor(const QString& targetPath)
{
    return targetPath + QStringLiteral(".part.json");
}

PartRecord readPartRecord(const QString& recordPath)
{
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The record is a few hundred bytes; anything much larger is not ours.
    const QJsonObject object = QJsonDocument::fromJson(file.read(64 * 1024)).object();
    PartRecord record;
    record.url = object.value(u"url").toString();
    record.etag = object.value(u"etag").toString().toLatin1();
    record.lastModified = object.value(u"lastModified").toString().toLatin1();
    record.expectedSize = object.value(u"expectedSize").toInteger(-1);
    return record;
}

namespace {

QByteArray recordBytes(const PartRecord& record, const QString& finalPath)
{
    QJsonObject object{
        {QStringLiteral("url"), record.url},
        {QStringLiteral("etag"), QString::fromLatin1(record.etag)},
        {QStringLiteral("lastModified"), QString::fromLatin1(record.lastModified)},
        {QStringLiteral("expectedSize"), record.expectedSize},
    };
    if (!finalPath.isEmpty())
        object.insert(QStringLiteral("finalPath"), finalPath);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

Outcome writeRunningPartRecord(const QString& recordPath, const PartRecord& record, const QString& finalPath)
{
    return replaceFileUnsynced(recordPath, recordBytes(record, finalPath));
}

QString finalPathIn(const QString& recordPath)
{
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.read(64 * 1024)).object().value(u"finalPath").toString();
}

void removePartFiles(const QString& targetPath)
{
    QFile::remove(partPathFor(targetPath));
    QFile::remove(taggedCopyPathFor(targetPath)); // left by a run killed while it tagged the song
    QFile::remove(partRecordPathFor(targetPath));
    QFile::remove(unsyncedNewPath(partRecordPathFor(targetPath)));
}

} // namespace Qorvin
