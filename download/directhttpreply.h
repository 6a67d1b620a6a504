// SPDX-License-Identifier: MIT
// A song's GET over plain HTTP on a socket of its own, read on the thread that asked for it.
//
// Qt's network access runs HTTP on a thread of its own and hands every chunk over to the caller's
// thread, behind a proxy through one more socket layer; for a song of megabytes that costs more
// processor time than the bytes themselves. This reply reads the socket where the song's file is
// written and gives the body on as the answer parser finds it. It behaves as the manager's replies
// do for what the download queue uses of them: status, headers, errors, redirects, the read
// buffer's limit. https addresses, and redirects to one, go through the manager.
#pragma once

#include <QByteArray>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>

#include <memory>

class QNetworkAccessManager;
class QTcpSocket;

namespace Qorvin {

// Starts the GET of request: over a socket of its own for http, through network for anything else.
// The reply belongs to parent.
QNetworkReply* getSong(QNetworkAccessManager* network, const QNetworkRequest& request, QObject* parent);

class DirectHttpReply : public QNetworkReply
{
    Q_OBJECT

public:
    DirectHttpReply(QNetworkAccessManager* network, const QNetworkRequest& request, QObject* parent);
    ~DirectHttpReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }
    void setReadBufferSize(qint64 size) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;

private:
    struct Parser;

    void connectTo(const QUrl& url);
    void sendRequest();
    void readSocket();
    void onDisconnected();
    void onSocketError();
    bool parse(const char* data, qint64 size);
    void headersComplete();
    void followRedirect(const QUrl& target);
    void relayTo(QNetworkReply* reply);
    void finishWith(NetworkError error, const QString& text);
    void finishOk();
    void dropSocket();
    qint64 readFromSocket(char* data, qint64 maxSize);
    void endWhenDrained();

    QNetworkAccessManager* m_network;
    QNetworkProxy m_proxy;
    std::unique_ptr<Parser> m_parser;
    QTcpSocket* m_socket = nullptr;
    QPointer<QNetworkReply> m_relay; // the manager's reply after a redirect to https
    QByteArray m_body;               // parsed body bytes not yet read
    qint64 m_bodyRead = 0;           // where m_body's unread bytes start
    // Once the head of an answer with a length of its own is read, the rest of its body goes from
    // the socket straight to the reader: this many bytes are left of it (-1 before that).
    qint64 m_socketBodyLeft = -1;
    bool m_endQueued = false;
    qint64 m_readBufferSize = 0;
    int m_redirectsLeft = 0;
    bool m_finished = false;
};

} // namespace Qorvin
