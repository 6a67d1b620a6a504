// SPDX-License-Identifier: MIT
#include "tests/browser/recordingproxy.h"

#include <QPointer>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTimer>

namespace Qorvin::Test {

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

void send(QTcpSocket* socket, const QByteArray& status, const QByteArray& body,
          const QByteArray& contentType = "text/html; charset=gb2312")
{
    QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: " + contentType +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nConnection: close\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}

} // namespace

QByteArray resultPageBody(const QByteArray& target)
{
    QString page =
        QStringLiteral("<html><head><title>结果</title></head><body><p id=target>") +
        QString::fromLatin1(target).toHtmlEscaped() +
        QStringLiteral("</p><a href=\"http://music.localservice.example/1.mp3\" target=\"_blank\">苏轼 "
                       "水调歌头</a>");
    if (target.contains("frames"))
        page += QStringLiteral("<iframe src=\"http://mp3.baidu.com/frame1\"></iframe>"
                               "<iframe src=\"http://mp3.baidu.com/frame2\"></iframe>");
    if (target.contains("record"))
        page += QStringLiteral(
            "<table><tr><td>来源网址：  http://music.localservice.example/x/&#x20000;.mp3 </td>"
            "<td><a href=\"/play\" target=\"_blank\">&#x1F3B5; 歌</a></td></tr></table>");
    if (target.contains("script"))
        page += QStringLiteral("<script>document.body.setAttribute('data-ran', 'yes')</script>");
    page += QStringLiteral("</body></html>");
    return gbk(page);
}

RecordingProxy::RecordingProxy(QObject* parent) : QTcpServer(parent)
{
    connect(this, &QTcpServer::newConnection, this, &RecordingProxy::onNewConnection);
}

qsizetype RecordingProxy::countContaining(const QByteArray& part) const
{
    return std::count_if(m_targets.cbegin(), m_targets.cend(),
                         [&part](const QByteArray& target) { return target.contains(part); });
}

void RecordingProxy::onNewConnection()
{
    while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket->property("answered").toBool())
                return;
            QByteArray head = socket->property("head").toByteArray() + socket->readAll();
            socket->setProperty("head", head);
            if (!head.contains("\r\n\r\n"))
                return;
            socket->setProperty("answered", true);
            const QByteArrayList requestLine = head.left(head.indexOf("\r\n")).split(' ');
            const QByteArray target = requestLine.value(1);
            m_targets.append(target);
            answer(socket, target);
        });
    }
}

void RecordingProxy::answer(QTcpSocket* socket, const QByteArray& target)
{
    if (target.contains("hang"))
        return;
    if (target.contains("fail500")) {
        send(socket, "500 Internal Server Error", "<html><body>server error</body></html>");
        return;
    }
    if (target.contains("nocharset")) {
        // A page that names no charset anywhere: the engine has only the bytes to go by.
        const QString page = QStringLiteral("<html><head><title>结果</title></head><body><p>苏轼 水调歌头 "
                                            "明月几时有，把酒问青天。</p></body></html>");
        send(socket, "200 OK", target.contains("utf8") ? page.toUtf8() : gbk(page), "text/html");
        return;
    }
    if (target.contains("slow")) {
        QPointer<QTcpSocket> later(socket);
        QTimer::singleShot(1500, socket, [later, target] {
            if (later)
                send(later, "200 OK", resultPageBody(target));
        });
        return;
    }
    send(socket, "200 OK", resultPageBody(target));
}

} // namespace Qorvin::Test
