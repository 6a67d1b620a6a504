// SPDX-License-Identifier: MIT
#include "bench/virtualdisplay.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace Qorvin::Bench {

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr int DisplayFd = 3;

} // namespace

VirtualDisplay::~VirtualDisplay()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

QString VirtualDisplay::start()
{
    // Xvfb picks a free display number itself and writes it to the descriptor -displayfd names,
    // once it accepts connections.
    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0)
        return QStringLiteral("pipe: ") + QString::fromLocal8Bit(strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The read end first: it may be the very descriptor the write end goes to.
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], DisplayFd);
    std::array<const char*, 9> arguments{"Xvfb",         "-displayfd", "3",   "-screen", "0",
                                         "1280x1024x24", "-nolisten",  "tcp", nullptr};
    const int spawned =
        posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(arguments.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        m_pid = -1;
        return QStringLiteral("Xvfb: ") + QString::fromLocal8Bit(strerror(spawned));
    }

    QByteArray number;
    pollfd reader{pipeEnds[0], POLLIN, 0};
    while (!number.endsWith('\n') && poll(&reader, 1, StartTimeoutMs) > 0) {
        char c = 0;
        if (read(pipeEnds[0], &c, 1) != 1)
            break;
        number.append(c);
    }
    close(pipeEnds[0]);
    if (!number.endsWith('\n'))
        return QStringLiteral("Xvfb did not start within %1 s").arg(StartTimeoutMs / 1000);
    m_name = ':' + number.trimmed();
    return {};
}

} // namespace Qorvin::Bench
