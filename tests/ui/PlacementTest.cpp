// Where the panel and the widget open, and how the widget's place is stored.
#include "app/windows/MenuBarPanel.h"
#include "app/windows/WidgetController.h"

#include <gtest/gtest.h>

namespace quaro::testing {
namespace {

const QRect screen(0, 0, 1280, 800);
const QSize panel(360, 480);

TEST(MenuBarPanelPlacement, KeepsThePanelOnScreen)
{
    struct Case {
        const char* what;
        QRect anchor;
        QPoint expected;
    } cases[] = {
        {"centred under an icon in a top bar", QRect(600, 0, 24, 24), QPoint(431, 28)},
        {"pushed right at the left edge", QRect(2, 0, 24, 24), QPoint(0, 28)},
        {"pushed left at the right edge", QRect(1270, 4, 8, 8), QPoint(920, 16)},
        {"above an icon in a bottom bar", QRect(600, 776, 24, 24), QPoint(431, 292)},
        {"at the cursor, too low for below, too high for above", QRect(640, 400, 1, 1), QPoint(460, 0)},
    };
    // Every expected place is whole on the screen.
    for (const Case& c : cases)
        EXPECT_EQ(MenuBarPanel::placement(c.anchor, panel, screen), c.expected) << c.what;
}

TEST(WidgetPlacement, SavedOriginOnlyWhileOnAScreen)
{
    const QSize size(440, 100);
    const QList<QRect> screens{screen, QRect(1280, 0, 1920, 1080)};
    EXPECT_EQ(WidgetController::placement(QPoint(1500, 300), size, screens, screen), QPoint(1500, 300));
    // The second monitor is gone: back to the top centre of the primary one.
    EXPECT_EQ(WidgetController::placement(QPoint(1500, 300), size, {screen}, screen), QPoint(420, 12));
    EXPECT_EQ(WidgetController::placement(std::nullopt, size, screens, screen), QPoint(420, 12));
}

TEST(WidgetPlacement, OriginTextRoundTrips)
{
    EXPECT_EQ(WidgetController::writeOrigin(QPoint(-40, 12)), QStringLiteral("{-40, 12}"));
    EXPECT_EQ(WidgetController::readOrigin(QStringLiteral("{-40, 12}")), QPoint(-40, 12));
    EXPECT_EQ(WidgetController::readOrigin(QStringLiteral("{10.6, 3}")), QPoint(11, 3));
    for (const char* bad : {"", "10, 3", "{x, y}", "{1}", "{1, 2, 3}"})
        EXPECT_FALSE(WidgetController::readOrigin(QString::fromUtf8(bad))) << bad;
}

} // namespace
} // namespace quaro::testing
