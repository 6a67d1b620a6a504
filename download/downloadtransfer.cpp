// SPDX-License-Identifier: MIT
#include "download/downloadtransfer.h"

#include "download/directhttpreply.h"
#include "download/diskerror.h"
#include "download/folderreadiness.h"
#include "download/httpanswer.h"
#include "download/makefolder.h"
#include "download/partfilelock.h"
#include "download/transferreasons.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace Qorvin {

namespace {

// Bytes Qt may hold for one reply before the socket is read no further: memory stays bounded
// whatever the file size, and the buffer still keeps a fast connection busy.
constexpr qint64 ReadBufferBytes = 512 * 1024;
constexpr qsizetype HeadBytes = 4;
// What one read takes from the reply.
constexpr qint64 ChunkBytes = 256 * 1024;
// The part file's new bytes are handed to the disk in steps of this size while the download runs,
// so the sync at the end finds little left to write.
constexpr qint64 WritebackStepBytes = 1024 * 1024;

} // namespace

DownloadTransfer::DownloadTransfer(QNetworkAccessManager* network, DiskJobs* disk,
                                   const DownloadTiming& timing, const QUrl& url, const QString& targetPath,
                                   QObject* parent)
    : QObject(parent), m_network(network), m_disk(disk), m_timing(timing), m_url(url),
      m_targetPath(targetPath), m_folder(QFileInfo(targetPath).absolutePath()),
      m_part(partPathFor(targetPath)), m_stallTimer(new QTimer(this)), m_retryTimer(new QTimer(this))
{
    m_stallTimer->setSingleShot(true);
    m_stallTimer->setInterval(m_timing.stallTimeoutMs);
    connect(m_stallTimer, &QTimer::timeout, this, &DownloadTransfer::onStalled);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &DownloadTransfer::beginAttempt);
    connect(m_disk, &DiskJobs::finalized, this, &DownloadTransfer::onFinalized);
    connect(m_disk, &DiskJobs::passed, this, &DownloadTransfer::onRecordStored);
    // Bytes without a record that describes them could not be continued: the download stops, with
    // the reason, while the part file and its earlier record stay for a later try.
    connect(m_disk, &DiskJobs::recordFailed, this, [this](const QString& path, const QString& reason) {
        if (path == m_targetPath && !m_done && !isFinalizing())
            fail(reason);
    });
}

DownloadTransfer::~DownloadTransfer()
{
    stop();
}

void DownloadTransfer::start()
{
    m_retries = 0;
    m_done = false;
    beginAttempt();
}

void DownloadTransfer::stop()
{
    m_done = true;
    m_retryTimer->stop();
    dropReply();
    if (m_part.isOpen()) {
        m_part.flush();
        m_part.close();
    }
}

void DownloadTransfer::dropReply()
{
    m_stallTimer->stop();
    m_afterReply = {};
    if (m_reply) {
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

QString DownloadTransfer::diskReason(int errorNumber) const
{
    return diskErrorReason(m_folder, partPathFor(m_targetPath), errorNumber);
}

void DownloadTransfer::beginAttempt()
{
    if (m_done)
        return;
    m_restartedThisAttempt = false;
    const QFileInfo folder(m_folder);
    if (folder.exists() && !folder.isDir())
        return fail(QStringLiteral("下载文件夹的路径是一个文件：%1").arg(QDir::toNativeSeparators(m_folder)));
    if (!folder.exists()) {
        if (const int error = makeFolderPath(m_folder); error != 0)
            return fail(QStringLiteral("无法创建下载文件夹 %1（%2）")
                            .arg(QDir::toNativeSeparators(m_folder), folderReasonText(error)));
    }

    // A part file there is opened now, to be continued; a new one is made with the first bytes, so
    // that a stop while the request waits for its answer leaves nothing behind.
    if (!m_part.isOpen() && QFileInfo::exists(partPathFor(m_targetPath)) && !openPart())
        return;

    // A part file continues only when its record names the same link; anything else starts over.
    m_record = m_disk->readRecord(m_targetPath);
    const qint64 partSize = m_part.isOpen() ? m_part.size() : 0;
    const bool sameLink = m_record.url == m_url.toString(QUrl::FullyEncoded);
    const bool resumable = sameLink && partSize > 0 &&
                           (m_record.expectedSize < 0 || partSize <= m_record.expectedSize) &&
                           (!m_record.ifRange().isEmpty() || m_record.expectedSize > 0);
    if (!sameLink)
        m_record = PartRecord{m_url.toString(QUrl::FullyEncoded), {}, {}, -1};

    m_received = resumable ? partSize : 0;
    m_writtenBackTo = m_received;
    if (m_part.isOpen() && (!m_part.resize(m_received) || !m_part.seek(m_received)))
        return fail(diskReason(errno));
    m_head.clear();
    if (resumable) {
        m_part.seek(0);
        m_head = m_part.read(HeadBytes);
        m_part.seek(m_received);
    }
    sendRequest(resumable);
}

bool DownloadTransfer::openPart()
{
    // Opened by the system call itself, so that its errno is the one the reason names.
    const int handle =
        ::open(QFile::encodeName(partPathFor(m_targetPath)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (handle < 0) {
        fail(diskReason(errno));
        return false;
    }
    if (!m_part.open(handle, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        fail(m_part.errorString());
        return false;
    }
    // Held until the file has its final name, retry waits included: another download of this song
    // into this folder must not write, shorten or rename the file meanwhile.
    if (!lockForWriting(m_part)) {
        m_part.close();
        dropReply();
        // The file and its record are the other download's: they stay.
        finish(
            {false,
             QStringLiteral("另一个下载正在写入 %1").arg(QDir::toNativeSeparators(partPathFor(m_targetPath))),
             {},
             0});
        return false;
    }
    return true;
}

void DownloadTransfer::sendRequest(bool withRange)
{
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // Bytes must reach the file as the server stores them, or ranges would not fit.
    request.setRawHeader("Accept-Encoding", "identity");
    m_offset = 0;
    if (withRange && m_received > 0) {
        m_offset = m_received;
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_received) + '-');
        const QByteArray validator = m_record.ifRange();
        if (!validator.isEmpty())
            request.setRawHeader("If-Range", validator);
    }
    m_body = Body::NotYet;
    m_stalled = false;
    m_reply = getSong(m_network, request, this);
    m_reply->setReadBufferSize(ReadBufferBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &DownloadTransfer::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &DownloadTransfer::onReplyFinished);
    m_stallTimer->start(m_timing.stallTimeoutMs);
}

void DownloadTransfer::onStalled()
{
    m_stalled = true;
    if (m_reply)
        m_reply->abort(); // finished follows, with OperationCanceledError
}

void DownloadTransfer::onReadyRead()
{
    m_stallTimer->start(m_timing.stallTimeoutMs);
    if (m_body == Body::NotYet)
        readStatus();
    if (m_body == Body::Accepted)
        writeBody();
    else if (m_body == Body::Ignored && m_reply)
        m_reply->skip(m_reply->bytesAvailable()); // an error page's body is of no use
}

void DownloadTransfer::readStatus()
{
    QNetworkReply* reply = m_reply;
    const QVariant statusValue = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusValue.isValid())
        return;
    const int status = statusValue.toInt();
    m_body = Body::Ignored;
    const QByteArray etag = reply->rawHeader("ETag");
    const QByteArray lastModified = reply->rawHeader("Last-Modified");

    if (status == 206) {
        if (m_offset == 0 ||
            !continuesPart(m_record, m_offset, etag, lastModified, reply->rawHeader("Content-Range")))
            return restartFromZero();
        const ContentRange range = parseContentRange(reply->rawHeader("Content-Range"));
        if (range.total >= 0)
            m_record.expectedSize = range.total;
    } else if (status == 200) {
        if (!truncatePart())
            return;
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        m_record.expectedSize = length > 0 ? length : -1;
    } else if (status == 416) {
        const ContentRange range = parseContentRange(reply->rawHeader("Content-Range"));
        const qint64 total = range.valid ? range.total : m_record.expectedSize;
        if (m_offset > 0 && total == m_received) {
            dropReply();
            return complete();
        }
        return restartFromZero();
    } else if (status >= 300 && status < 400 && reply->error() != QNetworkReply::NoError) {
        // A redirect Qt did not follow: too many of them, or to a less safe address.
        const QString reason = networkErrorReason(reply->error(), failedAddress(reply), reply->errorString());
        return afterReply([this, reason] { fail(reason); });
    } else if (isTransientStatus(status)) {
        const qint64 retryAfter =
            retryAfterMs(reply->rawHeader("Retry-After"), QDateTime::currentDateTimeUtc());
        return afterReply([this, status, retryAfter] { retryLater(statusReason(status), retryAfter); });
    } else {
        return afterReply([this, status] { fail(statusReason(status)); });
    }

    if (!etag.isEmpty() || !lastModified.isEmpty() || status == 200) {
        m_record.etag = etag;
        m_record.lastModified = lastModified;
    }
    m_disk->writeRecord(m_targetPath, m_record);
    m_body = Body::Accepted;
    if (!m_part.isOpen()) {
        // A part file never stands on the disk without the record that says whose it is: it is
        // made, and the bytes go in, once the record is written.
        m_body = Body::AwaitingRecord;
        m_endedWhileAwaiting = false;
        m_recordToken = m_disk->markPassing(m_targetPath);
    }
    emit progressed();
}

void DownloadTransfer::onRecordStored(quint64 token)
{
    if (token != m_recordToken || m_done || m_body != Body::AwaitingRecord)
        return;
    m_recordToken = 0;
    if (!openPart() || !truncatePart())
        return;
    m_body = Body::Accepted;
    writeBody();
    if (m_endedWhileAwaiting && !m_done)
        onReplyFinished();
}

void DownloadTransfer::afterReply(std::function<void()> action)
{
    // An error answer is left to end by itself: aborting it while Qt still reports its error
    // makes Qt report the error twice.
    if (m_reply && m_reply->isRunning())
        m_afterReply = std::move(action);
    else
        action();
}

bool DownloadTransfer::truncatePart()
{
    m_received = 0;
    m_writtenBackTo = 0;
    m_head.clear();
    // No part file yet: it is made with the first bytes.
    if (m_part.isOpen() && (!m_part.resize(0) || !m_part.seek(0))) {
        fail(diskReason(errno));
        return false;
    }
    return true;
}

void DownloadTransfer::restartFromZero()
{
    dropReply();
    if (m_restartedThisAttempt)
        return retryLater(QStringLiteral("服务器的分段回答前后不一致"));
    m_restartedThisAttempt = true;
    m_record = PartRecord{m_url.toString(QUrl::FullyEncoded), {}, {}, -1};
    m_disk->writeRecord(m_targetPath, m_record);
    if (!truncatePart())
        return;
    sendRequest(false);
}

void DownloadTransfer::writeBody()
{
    // The bytes pass through one buffer that stays for the whole download: a fresh allocation
    // per read would cost a page fault for every 4 KB of the song.
    static thread_local std::unique_ptr<char[]> buffer(new char[ChunkBytes]);
    while (m_reply && m_reply->bytesAvailable() > 0) {
        const qint64 read = m_reply->read(buffer.get(), ChunkBytes);
        if (read <= 0)
            break;
        const QByteArrayView chunk(buffer.get(), read);
        if (m_head.size() < HeadBytes) {
            m_head.append(chunk.first(qMin(chunk.size(), HeadBytes - m_head.size())));
            // An HTML page answered with 200 is refused before it costs more than a few bytes.
            if (m_head.size() >= HeadBytes && !looksLikeMp3(m_head))
                return fail(QStringLiteral("不是MP3文件"), true);
        }
        errno = 0;
        if (m_part.write(chunk.data(), chunk.size()) != chunk.size())
            return fail(diskReason(errno));
        m_received += chunk.size();
    }
    if (m_received - m_writtenBackTo >= WritebackStepBytes) {
        m_disk->startWriteback(m_targetPath, m_writtenBackTo, m_received - m_writtenBackTo);
        m_writtenBackTo = m_received;
    }
    emit progressed();
}

void DownloadTransfer::onReplyFinished()
{
    m_stallTimer->stop();
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    if (m_body == Body::NotYet)
        readStatus();
    if (m_body == Body::AwaitingRecord) {
        m_endedWhileAwaiting = true; // its bytes stay in the reply until the part file is made
        return;
    }
    if (m_body == Body::Accepted)
        writeBody();
    if (m_done || reply != m_reply)
        return; // the status or a write already decided
    const QNetworkReply::NetworkError error = reply->error();
    const QString detail = reply->errorString();
    const QUrl address = failedAddress(reply);
    reply->disconnect(this);
    reply->deleteLater();
    m_reply = nullptr;

    if (m_afterReply)
        return std::exchange(m_afterReply, {})();
    if (m_body == Body::Ignored)
        return;
    if (m_stalled)
        return retryLater(
            QStringLiteral("%1 秒没有收到数据").arg(qMax(1, (m_timing.stallTimeoutMs + 999) / 1000)));
    if (error != QNetworkReply::NoError && m_body == Body::NotYet && !isTransientError(error))
        return fail(networkErrorReason(error, address, detail));
    if (error != QNetworkReply::NoError)
        return retryLater(networkErrorReason(error, address, detail));
    if (m_body == Body::NotYet)
        return retryLater(QStringLiteral("服务器没有回答"));
    complete();
}

void DownloadTransfer::complete()
{
    if (m_record.expectedSize > 0 && m_received != m_record.expectedSize) {
        if (m_received > m_record.expectedSize)
            return fail(QStringLiteral("文件大小不符：收到 %1 字节，应为 %2 字节")
                            .arg(m_received)
                            .arg(m_record.expectedSize),
                        true);
        return retryLater(QStringLiteral("下载不完整：收到 %1 字节，应为 %2 字节")
                              .arg(m_received)
                              .arg(m_record.expectedSize));
    }
    if (!looksLikeMp3(m_head))
        return fail(QStringLiteral("不是MP3文件"), true);
    // The file stays open, and so locked, while it is synced and renamed; finish() closes it.
    m_finalizeToken = m_disk->finalize(m_targetPath, m_received, m_tags);
    emit bytesComplete();
}

void DownloadTransfer::onFinalized(quint64 token, const TransferOutcome& outcome)
{
    if (token != m_finalizeToken)
        return;
    m_disk->takeFinalized(token);
    m_finalizeToken = 0;
    if (outcome.ok)
        finish(outcome);
    else
        fail(outcome.reason);
}

void DownloadTransfer::retryLater(const QString& reason, qint64 retryAfter)
{
    dropReply();
    if (m_retries >= m_timing.retryDelaysMs.size())
        return fail(reason);
    qint64 delay = m_timing.retryDelaysMs.at(m_retries++);
    if (retryAfter >= 0) {
        delay = qMin<qint64>(retryAfter, m_timing.maxRetryAfterMs);
    } else {
        const double spread =
            m_timing.retryJitter * (2.0 * QRandomGenerator::global()->generateDouble() - 1.0);
        delay = qMax<qint64>(0, qint64(double(delay) * (1.0 + spread)));
    }
    m_retryTimer->start(int(delay));
}

void DownloadTransfer::fail(const QString& reason, bool removePart)
{
    dropReply();
    m_part.close();
    // An empty part file holds nothing to continue; one with bytes, this run's or an earlier run's
    // that could not be opened, stays for a later try.
    if (removePart || QFileInfo(partPathFor(m_targetPath)).size() == 0)
        m_disk->removePartFiles(m_targetPath);
    finish({false, reason, {}, m_received});
}

void DownloadTransfer::finish(const TransferOutcome& outcome)
{
    m_done = true;
    m_retryTimer->stop();
    m_part.close();
    emit finished(outcome);
}

} // namespace Qorvin
