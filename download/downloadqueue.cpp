// SPDX-License-Identifier: MIT
#include "downloadqueue.h"

#include <QNetworkAccessManager>

namespace Qorvin {

class DownloadQueue::Private
{
public:
    QNetworkAccessManager* network = nullptr;
    DownloadTiming timing;
    int maxConcurrent = 3;
    QString storePath;
};

DownloadQueue::DownloadQueue(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->network = network ? network : new QNetworkAccessManager(this);
}

DownloadQueue::~DownloadQueue() = default;

QList<int> DownloadQueue::add(const QList<SongLink>&, const QString&, const QString&)
{
    return {};
}
QList<DownloadItem> DownloadQueue::items() const
{
    return {};
}
DownloadItem DownloadQueue::item(int) const
{
    return {};
}
QueueProgress DownloadQueue::progress() const
{
    return {};
}
bool DownloadQueue::hasActiveItems() const
{
    return false;
}
void DownloadQueue::pause(int) {}
void DownloadQueue::resume(int) {}
void DownloadQueue::cancel(int) {}
void DownloadQueue::retry(int) {}
void DownloadQueue::pauseAll() {}
void DownloadQueue::resumeAll() {}
void DownloadQueue::clearFinished() {}
int DownloadQueue::maxConcurrent() const
{
    return d->maxConcurrent;
}
void DownloadQueue::setMaxConcurrent(int count)
{
    d->maxConcurrent = qBound(1, count, 8);
}
DownloadTiming DownloadQueue::timing() const
{
    return d->timing;
}
void DownloadQueue::setTiming(const DownloadTiming& timing)
{
    d->timing = timing;
}
QString DownloadQueue::storePath() const
{
    return d->storePath;
}
void DownloadQueue::setStorePath(const QString& path)
{
    d->storePath = path;
}
DownloadFileResult DownloadQueue::load()
{
    return {true, {}};
}
DownloadFileResult DownloadQueue::save()
{
    return {true, {}};
}

} // namespace Qorvin
