// SPDX-License-Identifier: MIT
// mp3qorvin-cli as a script runs it: a process with http_proxy pointing at a local service.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace Qorvin::Test {

struct CliResult
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

inline QString cliProgram()
{
    return QStringLiteral(QORVIN_CLI_PROGRAM);
}

inline QProcessEnvironment cliEnvironment(quint16 proxyPort)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"),
                       QStringLiteral("http://127.0.0.1:") + QString::number(proxyPort));
    environment.remove(QStringLiteral("HTTP_PROXY"));
    environment.remove(QStringLiteral("no_proxy"));
    environment.remove(QStringLiteral("NO_PROXY"));
    return environment;
}

inline void prepareCli(QProcess& process, const QStringList& arguments, quint16 proxyPort,
                       const QString& folder)
{
    process.setProgram(cliProgram());
    process.setArguments(arguments);
    process.setProcessEnvironment(cliEnvironment(proxyPort));
    process.setWorkingDirectory(folder);
}

inline CliResult finishedCli(QProcess& process)
{
    CliResult result;
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

inline CliResult runCli(const QStringList& arguments, quint16 proxyPort, const QString& folder,
                        int timeoutMs = 60000)
{
    QProcess process;
    prepareCli(process, arguments, proxyPort, folder);
    process.start();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return finishedCli(process);
}

} // namespace Qorvin::Test
