// The platform tests run in a desktop of their own: an Xvfb display, a
// private session bus and a fake notification server, started before Qt
// looks for them and stopped when the tests end.
#include "support/DesktopSession.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    quaro::testing::DesktopSession session;
    if (!session.ok()) {
        std::fprintf(stderr, "could not start the private desktop (Xvfb, dbus-daemon, python3-dbus)\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
