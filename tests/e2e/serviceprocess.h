// SPDX-License-Identifier: MIT
// The local search service as the user runs it: the mp3qorvin-service program on a free port,
// with its request log kept for the test to read.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace Qorvin::Test {

class ServiceProcess
{
public:
    ServiceProcess() = default;
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the program with --port 0 --verbose and the extra arguments; returns the error, or
    // an empty string once the service listens.
    QString start(const QString& program, const QStringList& extraArguments = {});
    quint16 port() const { return m_port; }
    // Points the engine at the service: to be called before the first page is created.
    void becomeSystemProxy() const;

    // One line per request: method, target, status, milliseconds.
    QByteArrayList requestLog();
    qsizetype countRequestsContaining(const QByteArray& part);

private:
    QProcess m_process;
    QByteArray m_log;
    quint16 m_port = 0;
};

} // namespace Qorvin::Test
