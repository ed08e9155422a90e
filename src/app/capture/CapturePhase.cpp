#include "app/capture/CapturePhase.h"

namespace quaro {

QString CapturePhase::name() const
{
    switch (m_kind) {
    case Kind::idle: return QStringLiteral("idle");
    case Kind::recording: return QStringLiteral("recording");
    case Kind::paused: return QStringLiteral("paused");
    case Kind::sent: return QStringLiteral("sent");
    case Kind::failed: return QStringLiteral("failed");
    case Kind::noPermission: return QStringLiteral("noPermission");
    }
    return QStringLiteral("idle");
}

} // namespace quaro
