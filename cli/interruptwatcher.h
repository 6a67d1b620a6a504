// SPDX-License-Identifier: MIT
// Ctrl-C as an event of the event loop: the signal handler only writes a byte to a pipe, and a
// socket notifier turns that byte into a Qt signal. A second Ctrl-C ends the program at once.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace Qorvin::Cli {

class InterruptWatcher : public QObject
{
    Q_OBJECT

public:
    // Exit status of the program when a second Ctrl-C ends it at once.
    explicit InterruptWatcher(int immediateExitCode, QObject* parent = nullptr);
    ~InterruptWatcher() override;

    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

signals:
    void interrupted();

private:
    void onReadable();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace Qorvin::Cli
