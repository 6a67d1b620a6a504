// SPDX-License-Identifier: MIT
#include "tests/e2e/serviceprocess.h"

#include <QDeadlineTimer>

namespace Qorvin::Test {

ServiceProcess::~ServiceProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ServiceProcess::start(const QString& program, const QStringList& extraArguments)
{
    m_process.setProgram(program);
    m_process.setArguments(
        QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--verbose")} +
        extraArguments);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return QStringLiteral("cannot start ") + program + QStringLiteral(": ") + m_process.errorString();
    const QDeadlineTimer deadline(20000);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        out += m_process.readAllStandardOutput();
    }
    bool ok = false;
    m_port = out.left(out.indexOf('\n')).trimmed().toUShort(&ok);
    if (!ok || m_port == 0)
        return QStringLiteral("the service printed no port: ") + QString::fromLocal8Bit(out);
    return {};
}

void ServiceProcess::becomeSystemProxy() const
{
    const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(m_port);
    qputenv("http_proxy", proxy);
    qputenv("HTTP_PROXY", proxy);
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
}

QByteArrayList ServiceProcess::requestLog()
{
    m_log += m_process.readAllStandardError();
    QByteArrayList lines = m_log.split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

qsizetype ServiceProcess::countRequestsContaining(const QByteArray& part)
{
    const QByteArrayList lines = requestLog();
    return std::count_if(lines.cbegin(), lines.cend(),
                         [&part](const QByteArray& line) { return line.contains(part); });
}

} // namespace Qorvin::Test
