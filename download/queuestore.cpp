// SPDX-License-Identifier: MIT
#include "download/queuestore.h"

#include "base/openforreading.h"
#include "base/wholefilewrite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

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

// Every value where the program looks for it, of the type it reads there; any other file is not
// one the program wrote, and reading it anyway would drop parts of it without a word.
bool hasStoreShape(const QJsonObject& root)
{
    const auto allOf = [](const QJsonValue& value, const auto& fits) {
        if (value.isUndefined())
            return true;
        if (!value.isArray())
            return false;
        const QJsonArray array = value.toArray();
        return std::all_of(array.begin(), array.end(), [&](const QJsonValue& element) {
            return element.isObject() && fits(element.toObject());
        });
    };
    const auto typed = [](const QJsonObject& object,
                          std::initializer_list<std::pair<const char16_t*, QJsonValue::Type>> fields) {
        return std::all_of(fields.begin(), fields.end(), [&](const auto& field) {
            const QJsonValue value = object.value(QStringView(field.first));
            return value.isUndefined() || value.type() == field.second;
        });
    };
    const auto isItem = [&](const QJsonObject& item) {
        return typed(item, {{u"title", QJsonValue::String},
                            {u"url", QJsonValue::String},
                            {u"target", QJsonValue::String},
                            {u"state", QJsonValue::String},
                            {u"reason", QJsonValue::String}});
    };
    const auto isBatch = [&](const QJsonObject& batch) {
        return typed(batch, {{u"folder", QJsonValue::String},
                             {u"keyword", QJsonValue::String},
                             {u"reported", QJsonValue::Bool}}) &&
               allOf(batch.value(u"items"), isItem);
    };
    const auto isCompleted = [&](const QJsonObject& file) {
        return typed(
            file,
            {{u"url", QJsonValue::String}, {u"path", QJsonValue::String}, {u"size", QJsonValue::Double}});
    };
    return allOf(root.value(u"batches"), isBatch) && allOf(root.value(u"completed"), isCompleted);
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
    const Outcome written = writeWholeFile(filePath, QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!written.ok)
        return Outcome::failure(QStringLiteral("无法保存下载列表（%1）").arg(written.errorString));
    return Outcome::success();
}

StoreReading inspectQueueStore(const QString& filePath)
{
    StoreReading reading;
    const QString shown = QDir::toNativeSeparators(filePath);
    QFile file(filePath);
    if (!file.exists()) {
        reading.state = StoreState::Missing;
        return reading;
    }
    if (const Outcome opened = openForReading(file, filePath); !opened.ok) {
        reading.state = StoreState::Unreadable;
        reading.problem = opened.errorString;
        return reading;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(u"version");
    if (document.isObject() && version.isDouble() && version.toInt() > StoreVersion) {
        reading.state = StoreState::Newer;
        reading.problem = QStringLiteral("下载列表 %1 来自更新版本的程序，本程序不读取也不覆盖它").arg(shown);
        return reading;
    }
    if (!document.isObject() || version.toInt() != StoreVersion || !hasStoreShape(root)) {
        reading.state = StoreState::Damaged;
        return reading;
    }
    reading.state = StoreState::Read;
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
        reading.store.batches.append(batch);
    }
    for (const QJsonValue& value : root.value(u"completed").toArray()) {
        const QJsonObject object = value.toObject();
        reading.store.completed.append({object.value(u"url").toString(), object.value(u"path").toString(),
                                        object.value(u"size").toInteger()});
    }
    return reading;
}

Outcome readQueueStore(const QString& filePath, QueueStore* store)
{
    StoreReading reading = inspectQueueStore(filePath);
    *store = std::move(reading.store);
    if (reading.state != StoreState::Damaged)
        return {reading.state == StoreState::Missing || reading.state == StoreState::Read, reading.problem};
    // Kept for whoever wants to look into it; the list the program starts with is empty.
    const QString kept =
        filePath + QStringLiteral(".damaged-") + QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss");
    const QString shown = QDir::toNativeSeparators(filePath);
    if (!QFile::rename(filePath, kept))
        return Outcome::failure(
            QStringLiteral("下载列表 %1 已损坏，也无法另存，下载列表从空开始").arg(shown));
    return Outcome::failure(QStringLiteral("下载列表 %1 已损坏，原文件已另存为 %2，下载列表从空开始")
                                .arg(shown, QDir::toNativeSeparators(kept)));
}

} // namespace Qorvin
