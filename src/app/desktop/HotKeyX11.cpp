#include "app/desktop/HotKeyX11.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace quaro {

namespace {

constexpr xcb_keysym_t keysymSpace = 0x0020;
constexpr xcb_keysym_t keysymNumLock = 0xff7f;
// The eight modifier bits of a key event's state; the rest are mouse buttons.
constexpr std::uint16_t modifierBits = 0x00ff;

std::uint16_t maskOf(HotKeyModifiers modifiers)
{
    std::uint16_t mask = 0;
    if (modifiers.alt)
        mask |= XCB_MOD_MASK_1;
    if (modifiers.control)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers.shift)
        mask |= XCB_MOD_MASK_SHIFT;
    return mask;
}

QString describe(HotKeyPreset preset)
{
    const auto text = label(preset);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// The passive grabs that are in place; ungrabbed when destroyed.
struct HotKeyX11::Grab {
    xcb_connection_t* connection;
    xcb_window_t root;
    std::vector<std::uint8_t> keycodes;
    std::uint16_t modifiers = 0;
    std::uint16_t lockMask = 0;
    std::vector<std::pair<std::uint8_t, std::uint16_t>> held;

    Grab(xcb_connection_t* c, xcb_window_t r) : connection(c), root(r) {}
    Grab(const Grab&) = delete;
    Grab& operator=(const Grab&) = delete;
    ~Grab()
    {
        if (held.empty())
            return;
        for (const auto& [keycode, mask] : held)
            xcb_ungrab_key(connection, keycode, root, mask);
        xcb_flush(connection);
    }
};

std::unique_ptr<HotKeyX11> HotKeyX11::create(QString& failure)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        failure = QStringLiteral("no X11 connection to grab the hot key on");
        return nullptr;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return std::make_unique<HotKeyX11>(connection, screen->root);
}

HotKeyX11::HotKeyX11(xcb_connection_t* connection, std::uint32_t root) : m_connection(connection), m_root(root)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

HotKeyX11::~HotKeyX11()
{
    // Once the application object is gone so is its X connection, and with
    // it every grab.
    if (!QCoreApplication::instance()) {
        if (m_grab)
            m_grab->held.clear();
        m_grab.reset();
        return;
    }
    QCoreApplication::instance()->removeNativeEventFilter(this);
    release();
}

std::vector<std::uint8_t> HotKeyX11::keycodes(std::uint32_t keysym) const
{
    std::vector<std::uint8_t> codes;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    if (!symbols)
        return codes;
    if (xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym)) {
        for (const xcb_keycode_t* code = found; *code != XCB_NO_SYMBOL; ++code)
            codes.push_back(*code);
        std::free(found);
    }
    xcb_key_symbols_free(symbols);
    return codes;
}

// The modifier bit that Num Lock sets: the keyboard mapping decides, Mod2
// almost everywhere.
std::uint16_t HotKeyX11::numLockMask() const
{
    const auto numLock = keycodes(keysymNumLock);
    auto* reply = xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (!reply)
        return XCB_MOD_MASK_2;
    std::uint16_t mask = XCB_MOD_MASK_2;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = map[modifier * perModifier + i];
            if (code != 0 && std::find(numLock.begin(), numLock.end(), code) != numLock.end())
                mask = static_cast<std::uint16_t>(1u << modifier);
        }
    }
    std::free(reply);
    return mask;
}

void HotKeyX11::grab(HotKeyPreset preset)
{
    auto taken = take(preset);
    if (!settled)
        return;
    if (taken)
        settled(HotKeyResult{});
    else
        settled(HotKeyResult{HotKeyOutcome::taken, {}, taken.error()});
}

Result<void, QString> HotKeyX11::take(HotKeyPreset preset)
{
    release();
    auto grab = std::make_unique<Grab>(m_connection, m_root);
    grab->keycodes = keycodes(keysymSpace);
    if (grab->keycodes.empty())
        return Failure{QStringLiteral("the keyboard mapping has no space bar")};
    grab->modifiers = maskOf(modifiers(preset));
    const std::uint16_t numLock = numLockMask();
    grab->lockMask = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock);

    // Every variant is asked for before any answer is awaited: one round trip.
    std::vector<std::pair<xcb_void_cookie_t, std::pair<std::uint8_t, std::uint16_t>>> requests;
    for (const std::uint8_t keycode : grab->keycodes) {
        for (const std::uint16_t lock : {std::uint16_t{0}, std::uint16_t{XCB_MOD_MASK_LOCK}, numLock,
                                         static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)}) {
            const auto modifiers = static_cast<std::uint16_t>(grab->modifiers | lock);
            // Events come to the root window even while one of our own
            // windows has the focus, so Qt never sees them as typing.
            const auto cookie = xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keycode,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            requests.push_back({cookie, {keycode, modifiers}});
        }
    }
    std::optional<std::uint8_t> errorCode;
    for (const auto& [cookie, key] : requests) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            errorCode = error->error_code;
            std::free(error);
        } else {
            grab->held.push_back(key);
        }
    }
    if (errorCode == XCB_ACCESS)
        return Failure{QStringLiteral("another X client already holds %1").arg(describe(preset))};
    if (errorCode)
        return Failure{QStringLiteral("the X server refused to grab %1 (error %2)").arg(describe(preset)).arg(*errorCode)};
    m_grab = std::move(grab);
    return {};
}

void HotKeyX11::release()
{
    m_grab.reset();
    m_held = false;
}

bool HotKeyX11::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_grab || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t kind = event->response_type & 0x7f;
    if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
        return false;
    // Press and release events share one layout.
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->event != m_root)
        return false;
    return handleKey(kind == XCB_KEY_PRESS, key->detail, key->state, key->time);
}

bool HotKeyX11::handleKey(bool press, std::uint8_t keycode, std::uint16_t state, std::uint32_t time)
{
    const auto& codes = m_grab->keycodes;
    if (std::find(codes.begin(), codes.end(), keycode) == codes.end())
        return false;
    if (!press) {
        // Modifiers may already be up when the space bar is released.
        if (m_held) {
            m_held = false;
            m_lastRelease = time;
        }
        return true;
    }
    if ((state & modifierBits & ~m_grab->lockMask) != m_grab->modifiers)
        return false;
    if (m_held)
        return true; // repeat while held, XKB-detectable kind
    m_held = true;
    if (time == m_lastRelease)
        return true; // repeat as X sends it by default: a release and a press at one instant
    if (pressed)
        pressed();
    return true;
}

} // namespace quaro
