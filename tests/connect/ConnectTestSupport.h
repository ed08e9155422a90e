#pragma once

// A private home per test: HOME (with an apostrophe in its name, as some
// users' folders have) and the XDG folders inside a fresh temporary folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <thread>

namespace quaro::testing {

inline bool waitFor(const std::function<bool()>& condition, int milliseconds = 60000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Permission bits of a file (symbolic links are followed), -1 when missing.
inline int mode(const QString& path)
{
    struct stat info {};
    return ::stat(path.toLocal8Bit().constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

class PrivateHome {
public:
    PrivateHome()
    {
        home = m_dir.path() + QStringLiteral("/casa d'Ávila");
        QDir().mkpath(home);
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
        qputenv("XDG_STATE_HOME", (home + QStringLiteral("/.local/state")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    }

    QString path(const QString& relative) const { return home + QLatin1Char('/') + relative; }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    }

    static QByteArray read(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QString home;

private:
    QTemporaryDir m_dir;
};

} // namespace quaro::testing
