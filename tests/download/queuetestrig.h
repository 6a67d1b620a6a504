// SPDX-License-Identifier: MIT
// What the queue tests share: the local service in process, its songs' bytes and file checks.
#pragma once

#include "downloaditem.h"
#include "localserver.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QString>

namespace Qorvin::Test {

inline QString songHref(quint16 port, int songId, const QString& mirror = QStringLiteral("mirror1"))
{
    return QStringLiteral("http://127.0.0.1:%1/%2/%3.mp3").arg(port).arg(mirror).arg(songId);
}

inline SongLink songLink(quint16 port, int songId, const QString& titleHtml)
{
    return {titleHtml, songHref(port, songId)};
}

// The whole file as the service serves it, fetched in one plain request.
inline QByteArray serviceBytes(QNetworkAccessManager& network, const QString& url)
{
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
}

inline QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

inline QByteArray fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace Qorvin::Test
