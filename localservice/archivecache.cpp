// SPDX-License-Identifier: MIT
#include "localservice/archivecache.h"

#include "base/wholefilewrite.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Qorvin::LocalService {

using namespace Qt::StringLiterals;

namespace {

const QString EntrySuffix = u".json"_s;

QFileInfoList entriesIn(const QString& folder)
{
    return QDir(folder).entryInfoList({u"*"_s + EntrySuffix}, QDir::Files);
}

} // namespace

ArchiveCache::ArchiveCache(QString folder, qint64 maxBytes, qint64 maxAgeSeconds)
    : m_folder(std::move(folder)), m_maxBytes(maxBytes), m_maxAgeSeconds(maxAgeSeconds)
{
}

QString ArchiveCache::pathOf(const QUrl& address) const
{
    const QByteArray hash = QCryptographicHash::hash(address.toEncoded(), QCryptographicHash::Sha256).toHex();
    return m_folder + u'/' + QString::fromLatin1(hash) + EntrySuffix;
}

std::optional<ArchiveCache::Entry> ArchiveCache::find(const QUrl& address) const
{
    if (m_folder.isEmpty())
        return std::nullopt;
    QFile file(pathOf(address));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QDateTime written = QFileInfo(file).lastModified();
    Entry entry;
    entry.body = file.readAll();
    entry.fresh = written.secsTo(QDateTime::currentDateTime()) < m_maxAgeSeconds;
    return entry;
}

qint64 ArchiveCache::sizeOnDisk() const
{
    qint64 bytes = 0;
    for (const QFileInfo& entry : entriesIn(m_folder))
        bytes += entry.size();
    return bytes;
}

bool ArchiveCache::store(const QUrl& address, const QByteArray& body, QString* error)
{
    if (m_folder.isEmpty() || body.size() > m_maxBytes / 4)
        return true; // nothing is kept, or one answer would crowd out the rest
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = u"无法建立缓存文件夹 "_s + m_folder;
        return false;
    }
    if (m_bytes < 0)
        m_bytes = sizeOnDisk();
    const QString path = pathOf(address);
    const qint64 replaced = QFileInfo(path).exists() ? QFileInfo(path).size() : 0;
    if (const Outcome written = writeWholeFile(path, body); !written.ok) {
        if (error)
            *error = u"无法写入缓存文件："_s + written.errorString;
        return false;
    }
    m_bytes += body.size() - replaced;
    if (m_bytes > m_maxBytes)
        trim();
    return true;
}

void ArchiveCache::trim()
{
    QFileInfoList entries = entriesIn(m_folder);
    std::sort(entries.begin(), entries.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() < b.lastModified(); });
    qint64 bytes = 0;
    for (const QFileInfo& entry : std::as_const(entries))
        bytes += entry.size();
    // Down to three quarters of the cap, so that the folder is not listed at every answer.
    for (const QFileInfo& entry : std::as_const(entries)) {
        if (bytes <= m_maxBytes * 3 / 4)
            break;
        if (QFile::remove(entry.filePath()))
            bytes -= entry.size();
    }
    m_bytes = bytes;
}

} // namespace Qorvin::LocalService
