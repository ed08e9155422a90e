#include "app/desktop/HotKey.h"

#include "app/desktop/HotKeyPortal.h"
#include "app/desktop/HotKeyX11.h"
#include "app/desktop/SessionInfo.h"
#include "core/Log.h"

#include <QGuiApplication>

namespace quaro {

namespace {

std::unique_ptr<HotKeyBackend> backendFor(const QString& platform, QString& failure)
{
    // The portal is reached over D-Bus, so it serves an XWayland Quaro too;
    // an X11 grab there would only hear keys typed into X11 windows.
    if (SessionInfo::current().type == SessionType::wayland)
        return std::make_unique<HotKeyPortal>();
    if (platform == QLatin1String("xcb"))
        return HotKeyX11::create(failure);
    failure = QStringLiteral("the display platform \"%1\" offers no global shortcuts").arg(platform);
    return nullptr;
}

HotKeyState stateOf(HotKeyOutcome outcome)
{
    switch (outcome) {
    case HotKeyOutcome::bound: return HotKeyState::working;
    case HotKeyOutcome::taken: return HotKeyState::taken;
    case HotKeyOutcome::unavailable: return HotKeyState::unavailable;
    case HotKeyOutcome::refused: return HotKeyState::refused;
    case HotKeyOutcome::cancelled: return HotKeyState::cancelled;
    }
    return HotKeyState::refused;
}

} // namespace

HotKey::HotKey(QObject* parent) : QObject(parent)
{
    m_backend = backendFor(QGuiApplication::platformName(), m_lastFailure);
    if (!m_backend) {
        log(LogArea::app, QStringLiteral("atalho"), m_lastFailure);
        return;
    }
    // The backend reports from inside event dispatch; the application's
    // callback runs on a later turn of the loop.
    m_backend->pressed = [this] {
        QMetaObject::invokeMethod(this, &HotKey::deliverPress, Qt::QueuedConnection);
    };
    m_backend->settled = [this](const HotKeyResult& result) { settle(result); };
    m_backend->triggerChanged = [this](const QString& trigger) {
        if (m_state == HotKeyState::working)
            setState(HotKeyState::working, trigger);
    };
}

HotKey::~HotKey() = default;

HotKeyState HotKey::registerPreset(HotKeyPreset preset)
{
    if (!m_backend) {
        setState(HotKeyState::unavailable, {});
        return m_state;
    }
    m_backend->release();
    setState(HotKeyState::waiting, {});
    m_backend->grab(preset);
    return m_state;
}

void HotKey::release()
{
    if (m_backend)
        m_backend->release();
    setState(HotKeyState::idle, {});
}

void HotKey::settle(const HotKeyResult& result)
{
    m_lastFailure = result.detail;
    if (!m_lastFailure.isEmpty())
        log(LogArea::app, QStringLiteral("atalho"), m_lastFailure);
    setState(stateOf(result.outcome), result.trigger);
}

void HotKey::setState(HotKeyState state, const QString& boundTrigger)
{
    if (state == m_state && boundTrigger == m_boundTrigger)
        return;
    m_state = state;
    m_boundTrigger = boundTrigger;
    emit stateChanged();
}

void HotKey::deliverPress()
{
    // A copy: the callback may replace `onPress` while it runs.
    if (auto callback = onPress)
        callback();
}

} // namespace quaro
