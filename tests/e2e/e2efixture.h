// SPDX-License-Identifier: MIT
// What every end-to-end test starts from: the local service running as the system proxy, and a
// fresh program window, offscreen, worked through the window driver.
#pragma once

#include "app/demo/windowdriver.h"
#include "app/window/frmmain.h"
#include "tests/e2e/serviceprocess.h"

#include <QApplication>
#include <QString>
#include <QTest>

#include <memory>

namespace Qorvin::Test {

inline constexpr int CrawlTimeoutMs = 60000;
// A stop ends any crawl at once; the result page is a local file and shows within this.
inline constexpr int StopAnswerMs = 1000;

struct ProgramUnderTest
{
    std::unique_ptr<frmMain> window;
    std::unique_ptr<WindowDriver> driver;

    void open()
    {
        window = std::make_unique<frmMain>([](const QString&) {});
        window->showCentred();
        driver = std::make_unique<WindowDriver>(*window);
    }
    void close()
    {
        driver.reset();
        window.reset();
    }
};

QString serviceProgram();

// Runs the test object in a QApplication prepared for the engine.
template <typename TestObject> int runEndToEnd(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestObject test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace Qorvin::Test
