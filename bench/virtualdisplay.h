// SPDX-License-Identifier: MIT
// An X server of the benchmark's own (Xvfb) for measuring on a real display where there is none.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace Qorvin::Bench {

class VirtualDisplay
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay(); // stops the server
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // Starts Xvfb at 1280x1024 on a display number nobody uses and waits until it takes
    // clients; an error message, empty on success.
    QString start();
    QByteArray name() const { return m_name; } // ":N"

private:
    pid_t m_pid = -1;
    QByteArray m_name;
};

} // namespace Qorvin::Bench
