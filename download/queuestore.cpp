// SPDX-License-Identifier: MIT
#include "download/queuestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace Qorvin {

namespace {

constexpr int StoreVersion = 1;

QString stateKey(DownloadState state)
{
    switch (state) {
    case DownloadState::Waiting:
        return QStringLiteral("waiting");
    case DownloadState::Downloading:
        return QStringLiteral("downloading");
    case DownloadState::Paused:
        return QStringLiteral("paused");
    case DownloadState::Done:
        return QStringLiteral("done");
    case DownloadState::Failed:
        return QStringLiteral("failed");
    case DownloadState::Cancelled:
        return QStringLiteral("cancelled");
    }
    return {};
}

DownloadState stateFromKey(const QString& key)
{
    for (DownloadState state : {DownloadState::Waiting, DownloadState::Downloading, DownloadState::Paused,
                                DownloadState::Done, DownloadState::Failed, DownloadState::Cancelled}) {
        if (stateKey(state) == key)
            return state;
    }
    return DownloadState::Paused;
}

QJsonObject itemObject(const DownloadItem& item)
{
    return {
        {QStringLiteral("title"), item.title},
        {QStringLiteral("url"), QString::fromUtf8(item.url.toEncoded())},
        {QStringLiteral("target"), item.targetPath},
        {QStringLiteral("state"), stateKey(item.state)},
        {QStringLiteral("reason"), item.failureReason},
        {QStringLiteral("number"), item.number},
    };
}

DownloadItem itemFrom(const QJsonObject& object)
{
    DownloadItem item;
    item.title = object.value(u"title").toString();
    item.url = QUrl::fromEncoded(object.value(u"url").toString().toUtf8());
    item.targetPath = object.value(u"target").toString();
    item.state = stateFromKey(object.value(u"state").toString());
    item.failureReason = object.value(u"reason").toString();
    item.number = object.value(u"number").toInt();
    return item;
}

} // namespace

Outcome writeQueueStore(const QString& filePath, const QueueStore& store)
{
    QJsonArray batches;
    for (const StoredBatch& batch : store.batches) {
        QJsonArray items;
        for (const DownloadItem& item : batch.items)
            items.append(itemObject(item));
        batches.append(QJsonObject{{QStringLiteral("folder"), batch.folder},
                                   {QStringLiteral("keyword"), batch.keyword},
                                   {QStringLiteral("reported"), batch.reported},
                                   {QStringLiteral("tags"), batch.writeTags},
                                   {QStringLiteral("caption"), batch.caption},
                                   {QStringLiteral("items"), items}});
    }
    QJsonArray completed;
    for (const CompletedFile& file : store.completed)
        completed.append(QJsonObject{{QStringLiteral("url"), file.url},
                                     {QStringLiteral("path"), file.path},
                                     {QStringLiteral("size"), file.size}});
    const QJsonObject root{{QStringLiteral("version"), StoreVersion},
                           {QStringLiteral("batches"), batches},
                           {QStringLiteral("completed"), completed}};

    QDir().mkpath(QFileInfo(filePath).absolutePath());
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("无法保存下载列表 %1：%2").arg(filePath, file.errorString())};
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit())
        return {false, QStringLiteral("无法保存下载列表 %1：%2").arg(filePath, file.errorString())};
    return {true, {}};
}

Outcome readQueueStore(const QString& filePath, QueueStore* store)
{
    *store = {};
    QFile file(filePath);
    if (!file.exists())
        return {true, {}};
    if (!file.open(QIODevice::ReadOnly))
        return {false, QStringLiteral("无法读取下载列表 %1：%2").arg(filePath, file.errorString())};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject())
        return {false, QStringLiteral("下载列表 %1 已损坏：%2").arg(filePath, error.errorString())};
    const QJsonObject root = document.object();
    if (root.value(u"version").toInt() != StoreVersion)
        return {false, QStringLiteral("下载列表 %1 的版本无法识别").arg(filePath)};
    for (const QJsonValue& batchValue : root.value(u"batches").toArray()) {
        const QJsonObject object = batchValue.toObject();
        StoredBatch batch{object.value(u"folder").toString(),
                          object.value(u"keyword").toString(),
                          object.value(u"reported").toBool(),
                          {},
                          object.value(u"tags").toBool(),
                          object.value(u"caption").toString()};
        for (const QJsonValue& itemValue : object.value(u"items").toArray())
            batch.items.append(itemFrom(itemValue.toObject()));
        store->batches.append(batch);
    }
    for (const QJsonValue& value : root.value(u"completed").toArray()) {
        const QJsonObject object = value.toObject();
        store->completed.append({object.value(u"url").toString(), object.value(u"path").toString(),
                                 object.value(u"size").toInteger()});
    }
    return {true, {}};
}

} // namespace Qorvin
