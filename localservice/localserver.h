// SPDX-License-Identifier: MIT
#pragma once

#include "localservice/filestats.h"
#include "localservice/httpreply.h"
#include "localservice/httprequest.h"
#include "localservice/pagegenerator.h"
#include "localservice/recordsource.h"
#include "localservice/serveroptions.h"
#include "localservice/song.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QTcpServer>

#include <functional>
#include <memory>

namespace Qorvin::LocalService {

class HttpConnection;

// The local search service over HTTP/1.1 on 127.0.0.1. It answers origin-form requests and the
// proxy-form ones ("GET http://host/path HTTP/1.1") of a program whose http_proxy points here,
// routing by path alone: every host the program's pages name is this server.
class LocalServer : public QObject
{
    Q_OBJECT

public:
    explicit LocalServer(ServerOptions options = {}, QObject* parent = nullptr);
    ~LocalServer() override;

    // Listens on 127.0.0.1; port 0 picks a free port. False when the port is taken.
    bool listen(quint16 port = 0);
    quint16 port() const { return m_port; }

    // What was done with the MP3 files; also served as JSON at /_stats (/_stats?reset=1 resets).
    // Both may be called from any thread.
    FileStats fileStats() const { return m_stats->snapshot(); }
    // Starts the counts afresh; the answers still running stay counted as active.
    void resetFileStats();

    // Pages answered so far (everything but the MP3 files and /_stats).
    qint64 pageCount() const { return m_pageCount; }

    // Where the pages' records come from; the Archive's when the options ask for it.
    RecordSource& source() { return *m_source; }

private:
    void acceptConnections();
    void makeRoom();
    void onRequest(HttpConnection* connection, quint64 sequence, const HttpRequest& request);

    using AnswerReady = std::function<void(HttpReply reply, bool isPage)>;
    // Pages from the record source may come later; every other answer comes at once.
    void answer(const HttpRequest& request, AnswerReady ready);
    HttpReply answerFor(const HttpRequest& request, bool& isPage);
    void send(HttpConnection* connection, quint64 sequence, const HttpRequest& request, HttpReply reply,
              bool isPage, const QElapsedTimer& timer);
    HttpReply pageReply(int status, const QString& html) const;
    HttpReply songReply(SongId id, const HttpRequest& request);
    HttpReply statsReply(bool reset);

    ServerOptions m_options;
    PageGenerator m_pages;
    std::unique_ptr<RecordSource> m_source;
    QTcpServer m_tcp; // listens; the connections are accepted through m_acceptNotifier
    QSocketNotifier* m_acceptNotifier = nullptr;
    quint16 m_port = 0;
    qint64 m_pageCount = 0;
    qint64 m_failureCount = 0;
    qint64 m_fileCount = 0;                // file requests that reached the not-MP3 fault's count
    QSet<SongId> m_droppedSongs;           // files whose first answer was cut already
    QHash<SongId, int> m_songRequests;     // file requests per song, for the changing-file fault
    QList<HttpConnection*> m_connections;  // open ones, oldest first
    std::shared_ptr<FileCounters> m_stats; // shared with the answers still going out
};

} // namespace Qorvin::LocalService
