// SPDX-License-Identifier: MIT
// The one Qt application of a benchmark program whose main() is Google Benchmark's own.
#pragma once

#include <QCoreApplication>

namespace Qorvin::Bench {

// Made by whichever benchmark asks first, and kept for the whole program.
inline QCoreApplication& application()
{
    if (QCoreApplication* running = QCoreApplication::instance())
        return *running;
    static int argc = 1;
    static char name[] = "service_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

} // namespace Qorvin::Bench
