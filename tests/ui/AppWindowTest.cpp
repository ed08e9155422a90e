// Where the settings and onboarding windows open, and how their place is
// stored.
#include "app/windows/AppWindow.h"

#include <gtest/gtest.h>

namespace quaro::testing {
namespace {

TEST(AppWindowPlacement, RemembersOnlyWhatCanStillBeReached)
{
    const QSize size(820, 640);
    const QSize minimum(820, 640);
    const QRect primary(0, 0, 1280, 800);
    const QList<QRect> screens{primary, QRect(1280, 0, 1920, 1080)};
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(primary.center());
    struct Case {
        const char* what;
        std::optional<QRect> saved;
        QRect expected;
    } cases[] = {
        {"first opening", std::nullopt, centred},
        {"where it was left", QRect(100, 50, 900, 700), QRect(100, 50, 900, 700)},
        {"on the second screen", QRect(1500, 200, 820, 640), QRect(1500, 200, 820, 640)},
        {"grown back to the minimum", QRect(10, 10, 400, 300), QRect(10, 10, 820, 640)},
        {"on a screen that is gone", QRect(4000, 100, 820, 640), centred},
        {"a sliver left on screen", QRect(-800, 100, 820, 640), centred},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AppWindow::placement(c.saved, size, minimum, screens, primary), c.expected) << c.what;
}

TEST(AppWindowPlacement, GeometryText)
{
    const QRect rect(-20, 40, 820, 640);
    EXPECT_EQ(AppWindow::readGeometry(AppWindow::writeGeometry(rect)), rect);
    for (const char* bad : {"", "1,2,3", "1,2,3,x", "1,2,0,5", "1,2,3,4,5"})
        EXPECT_FALSE(AppWindow::readGeometry(QString::fromLatin1(bad))) << bad;
}

} // namespace
} // namespace quaro::testing
