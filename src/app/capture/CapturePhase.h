#pragma once

#include <QString>

namespace quaro {

// What the capture flow shows: a value with an optional text payload (the
// destino's name while a recording is being filed, the message of a failure).
// Two phases are equal when their kinds and payloads are.
class CapturePhase {
public:
    enum class Kind { idle, recording, paused, sent, failed, noPermission };

    CapturePhase() = default;

    static CapturePhase idle() { return CapturePhase(Kind::idle); }
    static CapturePhase recording() { return CapturePhase(Kind::recording); }
    static CapturePhase paused() { return CapturePhase(Kind::paused); }
    static CapturePhase noPermission() { return CapturePhase(Kind::noPermission); }
    static CapturePhase sent(QString destino) { return CapturePhase(Kind::sent, std::move(destino)); }
    static CapturePhase failed(QString message) { return CapturePhase(Kind::failed, std::move(message)); }

    Kind kind() const { return m_kind; }
    // The destino's name for `sent`, the message for `failed`, else empty.
    const QString& text() const { return m_text; }
    // "idle", "recording", "paused", "sent", "failed" or "noPermission".
    QString name() const;
    // True exactly while recording or paused.
    bool isCapturing() const { return m_kind == Kind::recording || m_kind == Kind::paused; }

    bool operator==(const CapturePhase&) const = default;

private:
    explicit CapturePhase(Kind kind, QString text = {}) : m_kind(kind), m_text(std::move(text)) {}

    Kind m_kind = Kind::idle;
    QString m_text;
};

} // namespace quaro
