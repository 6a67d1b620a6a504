// SPDX-License-Identifier: MIT
// A tiny HTTP proxy stand-in for the engine tests: it records every request line the engine sends
// and answers by the path, so one test can make one page slow, failing or silent.
//   .../slow...  answers after 1.5 s        .../fail500...  answers 500
//   .../hang...  never answers              .../frames...   a page holding two frames
//   .../script... a page whose script marks the body
//   .../record... a page holding one song record whose link and title lie outside GBK
//   .../nocharset-gbk, .../nocharset-utf8  a Chinese page in those bytes that declares no charset
// Every other path gets a small result page echoing the request target.
#pragma once

#include <QByteArrayList>
#include <QTcpServer>

namespace Qorvin::Test {

class RecordingProxy : public QTcpServer
{
    Q_OBJECT

public:
    explicit RecordingProxy(QObject* parent = nullptr);

    QByteArrayList targets() const { return m_targets; } // request targets, in arrival order
    qsizetype countContaining(const QByteArray& part) const;
    void clearTargets() { m_targets.clear(); }

private:
    void onNewConnection();
    void answer(QTcpSocket* socket, const QByteArray& target);

    QByteArrayList m_targets;
};

QByteArray resultPageBody(const QByteArray& target);

} // namespace Qorvin::Test
