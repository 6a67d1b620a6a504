// SPDX-License-Identifier: MIT
// One song's download: the requests, the part file, the retries and the final rename.
#pragma once

#include "download/diskjobs.h"
#include "download/downloadtiming.h"
#include "download/partrecord.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace Qorvin {

class DownloadTransfer : public QObject
{
    Q_OBJECT

public:
    DownloadTransfer(QNetworkAccessManager* network, DiskJobs* disk, const DownloadTiming& timing,
                     const QUrl& url, const QString& targetPath, QObject* parent = nullptr);
    ~DownloadTransfer() override;

    // Tags the complete file with these values before it takes its final name (download/songtags.h).
    void setTagValues(const SongTagValues& values) { m_tags = values; }

    void start();
    // Stops without a finished signal; the part file stays for a later start.
    void stop();

    // True while the complete file is synced and renamed; stopping then would lose nothing but
    // leave the item's state behind the file's, so the queue lets it end.
    bool isFinalizing() const { return m_finalizeToken != 0; }
    quint64 finalizeToken() const { return m_finalizeToken; }
    qint64 bytesReceived() const { return m_received; }
    qint64 bytesTotal() const { return m_record.expectedSize; }

signals:
    void progressed();
    // Every byte is in; only the sync and the rename are left, which need no connection.
    void bytesComplete();
    void finished(const Qorvin::TransferOutcome& outcome);

private:
    enum class Body
    {
        NotYet,         // no status read yet
        AwaitingRecord, // a 200 for a new part file: its bytes wait until its record is on the disk
        Accepted,       // a 200 or a fitting 206: the bytes go to the part file
        Ignored,        // the answer was dealt with from its status
    };

    void beginAttempt();
    // Opens and locks the part file, making it when there is none; false when the transfer ended.
    bool openPart();
    void sendRequest(bool withRange);
    void onReadyRead();
    void onReplyFinished();
    void onStalled();
    void readStatus();
    void writeBody();
    void complete();
    void restartFromZero();
    void retryLater(const QString& reason, qint64 retryAfter = -1);
    void fail(const QString& reason, bool removePart = false);
    void finish(const TransferOutcome& outcome);
    void dropReply();
    bool truncatePart();
    void afterReply(std::function<void()> action);
    QString diskReason(int errorNumber) const;

    void onFinalized(quint64 token, const TransferOutcome& outcome);
    void onRecordStored(quint64 token);

    QNetworkAccessManager* m_network;
    DiskJobs* m_disk;
    quint64 m_finalizeToken = 0;
    quint64 m_recordToken = 0; // the new part's record is on the disk once this job is done
    bool m_endedWhileAwaiting = false;
    DownloadTiming m_timing;
    QUrl m_url;
    QString m_targetPath;
    std::optional<SongTagValues> m_tags;
    QString m_folder;
    QFile m_part;
    PartRecord m_record;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_stallTimer;
    QTimer* m_retryTimer;
    std::function<void()> m_afterReply; // what an answer decided by its status does once it has ended
    Body m_body = Body::NotYet;
    qint64 m_offset = 0;        // where this answer's bytes start in the file
    qint64 m_received = 0;      // bytes in the part file
    qint64 m_writtenBackTo = 0; // the bytes before this are already on their way to the disk
    QByteArray m_head;          // the file's first bytes, for the MP3 check
    int m_retries = 0;
    bool m_restartedThisAttempt = false;
    bool m_stalled = false;
    bool m_done = false;
};

} // namespace Qorvin
