// The X11 hot key on a private Xvfb display, pressed with xdotool (XTEST),
// with a second X client standing in for another application.
#include "support/QtSupport.h"

#include "app/desktop/HotKey.h"
#include "support/ScopedEnv.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

using namespace quaro;
using namespace quaro::testing;

namespace {

// Types on the private display as the user would (XTEST).
bool xdotool(const QStringList& arguments) { return QProcess::execute("xdotool", arguments) == 0; }

class HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override { hotKey.onPress = [this] { ++presses; }; }

    // Presses the combinations; then `probe`, a combination that must fire,
    // proves every earlier key event has been seen: X delivers in order.
    void pressThenProbe(const QStringList& keys, const QString& probe)
    {
        for (const QString& key : keys)
            ASSERT_TRUE(xdotool({"key", key}));
        const int before = presses;
        ASSERT_TRUE(xdotool({"key", probe}));
        ASSERT_TRUE(waitFor([&] { return presses > before; }));
    }

    HotKey hotKey;
    int presses = 0;
};

// Another application: its own X connection, held open by the caller,
// grabbing Space with `modifiers`.
using XConnection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;
bool grabSpace(const XConnection& other, std::uint16_t modifiers)
{
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other.get());
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 0x20);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other.get())).data->root;
    auto* error = xcb_request_check(other.get(), xcb_grab_key_checked(other.get(), 0, root, modifiers, codes[0],
                                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(codes);
    xcb_key_symbols_free(symbols);
    std::free(error);
    return error == nullptr;
}

} // namespace

TEST_F(HotKeyTest, FiresOncePerPressOfTheExactCombination)
{
    ASSERT_EQ(hotKey.registerPreset(HotKeyPreset::altSpace), HotKeyState::working) << hotKey.lastFailure().toStdString();

    pressThenProbe({"space", "ctrl+alt+space", "alt+shift+space", "super+alt+space", "alt+a"}, "alt+space");
    EXPECT_EQ(presses, 1);

    // Caps Lock and Num Lock on: still the same combination.
    for (const char* lock : {"Caps_Lock", "Num_Lock"}) {
        ASSERT_TRUE(xdotool({"key", lock}));
        pressThenProbe({}, "alt+space");
        ASSERT_TRUE(xdotool({"key", lock}));
    }
    EXPECT_EQ(presses, 3);
}

TEST_F(HotKeyTest, ReRegistersAndGivesUpTheOldCombinationWhenRefused)
{
    EXPECT_EQ(hotKey.registerPreset(HotKeyPreset::altSpace), HotKeyState::working);
    EXPECT_EQ(hotKey.registerPreset(HotKeyPreset::altSpace), HotKeyState::working);
    pressThenProbe({}, "alt+space");
    EXPECT_EQ(presses, 1);

    const XConnection other(xcb_connect(nullptr, nullptr), &xcb_disconnect);
    ASSERT_TRUE(grabSpace(other, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    EXPECT_EQ(hotKey.registerPreset(HotKeyPreset::controlAltSpace), HotKeyState::taken);
    EXPECT_FALSE(hotKey.lastFailure().isEmpty());

    // Neither the old combination nor the refused one fires any more.
    ASSERT_TRUE(xdotool({"key", "alt+space"}));
    ASSERT_EQ(hotKey.registerPreset(HotKeyPreset::altShiftSpace), HotKeyState::working);
    pressThenProbe({}, "alt+shift+space");
    EXPECT_EQ(presses, 2);
    EXPECT_TRUE(hotKey.lastFailure().isEmpty());
}

// An X11 Quaro in a Wayland session (XWayland): its grab would hear only
// keys typed into X11 windows, so it never counts; without the desktop
// portal there is no global shortcut at all.
TEST(HotKeyXWaylandTest, AWaylandSessionWithoutThePortalHasNoGlobalShortcut)
{
    const ScopedEnv session("XDG_SESSION_TYPE", "wayland");
    HotKey hotKey;
    hotKey.registerPreset(HotKeyPreset::altSpace);
    ASSERT_TRUE(waitFor([&] { return hotKey.state() != HotKeyState::waiting; }));
    EXPECT_EQ(hotKey.state(), HotKeyState::unavailable) << hotKey.lastFailure().toStdString();
}
