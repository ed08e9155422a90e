#pragma once

// Helpers of the platform tests, which run inside the private desktop that
// PlatformTestMain.cpp starts (Xvfb, session bus, fake notifications).
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace quaro::testing {

// Runs the event loop until the condition holds; false after a generous
// deadline.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 20000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Types on the private display as the user would (XTEST).
inline bool xdotool(const QStringList& arguments) { return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0; }

} // namespace quaro::testing
