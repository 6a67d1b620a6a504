// SPDX-License-Identifier: MIT
#include "cli/interruptwatcher.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Qorvin::Cli {

namespace {

// Only what a signal handler may touch: plain integers set before the handler is installed.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_interrupts = 0;
int g_immediateExitCode = 130;
struct sigaction g_previousAction = {};

extern "C" void onSigint(int)
{
    if (g_interrupts != 0)
        _exit(g_immediateExitCode);
    g_interrupts = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
}

} // namespace

InterruptWatcher::InterruptWatcher(int immediateExitCode, QObject* parent) : QObject(parent)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return; // no watcher: Ctrl-C then ends the program the default way
    g_immediateExitCode = immediateExitCode;
    g_interrupts = 0;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterruptWatcher::onReadable);

    struct sigaction action = {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_previousAction);
}

InterruptWatcher::~InterruptWatcher()
{
    if (m_notifier)
        sigaction(SIGINT, &g_previousAction, nullptr);
    m_notifier.reset();
    for (int& fd : g_pipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

void InterruptWatcher::onReadable()
{
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    emit interrupted();
}

} // namespace Qorvin::Cli
