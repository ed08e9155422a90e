#include "app/HotKey.h"

#include "app/AppLog.h"
#include "app/HotKeyBackend.h"
#include "app/HotKeyPortal.h"
#include "app/HotKeyX11.h"

#include <QGuiApplication>

namespace quaro {

namespace {

std::unique_ptr<HotKeyBackend> backendFor(const QString& platform, QString& failure)
{
    if (platform == QLatin1String("xcb"))
        return HotKeyX11::create(failure);
    if (platform == QLatin1String("wayland"))
        return std::make_unique<HotKeyPortal>();
    failure = QStringLiteral("the display platform \"%1\" offers no global shortcuts").arg(platform);
    return nullptr;
}

} // namespace

HotKey::HotKey(QObject* parent) : QObject(parent)
{
    m_backend = backendFor(QGuiApplication::platformName(), m_lastFailure);
    if (!m_backend) {
        appLog(QStringLiteral("atalho"), m_lastFailure);
        return;
    }
    // The backend reports from inside event dispatch; the application's
    // callback runs on a later turn of the loop.
    m_backend->pressed = [this] {
        QMetaObject::invokeMethod(this, &HotKey::deliverPress, Qt::QueuedConnection);
    };
}

HotKey::~HotKey() = default;

bool HotKey::registerPreset(HotKeyPreset preset)
{
    if (!m_backend)
        return false;
    m_backend->release();
    auto grabbed = m_backend->grab(preset);
    if (!grabbed) {
        m_lastFailure = grabbed.error();
        appLog(QStringLiteral("atalho"), m_lastFailure);
        return false;
    }
    m_lastFailure.clear();
    return true;
}

void HotKey::deliverPress()
{
    // A copy: the callback may replace `onPress` while it runs.
    if (auto callback = onPress)
        callback();
}

} // namespace quaro
