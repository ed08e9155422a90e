#pragma once

// For test programs with a Qt event loop: waiting for a condition while the
// loop runs (queued calls, D-Bus, child processes), and small file helpers.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <chrono>
#include <functional>
#include <thread>

namespace quaro::testing {

// Runs the event loop until the condition holds; false after a generous
// deadline, never a timed assertion.
inline bool waitFor(const std::function<bool()>& condition, int milliseconds = 60000)
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

inline bool onMainThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes the whole file, making its folder first.
inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

} // namespace quaro::testing
