// SPDX-License-Identifier: MIT
#pragma once

#include "pagegenerator.h"
#include "serveroptions.h"
#include "songaudio.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QPair>

class QTcpSocket;

namespace Qorvin::LocalService {

// The local search service over HTTP/1.1 on 127.0.0.1. It answers origin-form requests and the
// proxy-form ones ("GET http://host/path HTTP/1.1") of a program whose http_proxy points here,
// routing by path alone: every host the program's pages name is this server.
class LocalServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    explicit LocalServer(ServerOptions options = {}, QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 picks a free port. False when the port is taken.
    bool listen(quint16 port = 0);
    quint16 port() const { return m_port; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Answer
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        bool isPage = true; // pages are what the faults on demand count
    };

    // An answer and how it goes out, kept until a delayed page is due.
    struct Delivery
    {
        enum Fault
        {
            None,
            Reset,
            Stall,
        };
        Answer answer;
        Fault fault = None;
        bool headOnly = false;
        bool close = false;
        QByteArray method;
        QByteArray target; // for the log
    };

    Answer answerFor(const QHttpServerRequest& request);
    Answer pageAnswer(int status, const QString& html) const;
    Answer songAnswer(SongId id, const QHttpServerRequest& request);
    void send(QTcpSocket* socket, const Answer& answer, bool headOnly, bool close) const;
    void stall(QTcpSocket* socket, const Answer& answer) const;
    void deliver(QTcpSocket* socket, const Delivery& delivery, const QElapsedTimer& timer) const;

    ServerOptions m_options;
    PageGenerator m_pages;
    SongAudio m_audio;
    quint16 m_port = 0;
    qint64 m_pageCount = 0;
    qint64 m_failureCount = 0;
};

} // namespace Qorvin::LocalService
