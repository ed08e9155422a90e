#include "app/audio/SoundServer.h"

namespace quaro {

namespace {

constexpr int answerTimeoutMs = 1000;
// Events come in bursts (a device and its card, a default and its server):
// one notice per burst.
constexpr int settleMs = 100;

} // namespace

std::optional<std::string> SoundServer::defaultSourceName()
{
    QProcess pactl;
    pactl.setStandardErrorFile(QProcess::nullDevice());
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("get-default-source")}, QIODevice::ReadOnly);
    if (!pactl.waitForFinished(answerTimeoutMs)) {
        pactl.kill();
        pactl.waitForFinished();
        return std::nullopt;
    }
    if (pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return std::nullopt;
    const QByteArray name = pactl.readAllStandardOutput().trimmed();
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

SoundServerWatch::SoundServerWatch(QObject* parent) : QObject(parent), m_pactl(this), m_settle(this)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &SoundServerWatch::changed);
    connect(&m_pactl, &QProcess::readyReadStandardOutput, this, &SoundServerWatch::readEvents);
    m_pactl.setStandardErrorFile(QProcess::nullDevice());
    m_pactl.start(QStringLiteral("pactl"), {QStringLiteral("subscribe")}, QIODevice::ReadOnly);
}

SoundServerWatch::~SoundServerWatch()
{
    if (m_pactl.state() != QProcess::NotRunning) {
        m_pactl.kill();
        m_pactl.waitForFinished();
    }
}

void SoundServerWatch::readEvents()
{
    // "Event 'change' on server #0", "Event 'new' on source #12", ...
    while (m_pactl.canReadLine()) {
        const QByteArray line = m_pactl.readLine();
        if (line.contains(" on server") || line.contains(" on source "))
            m_settle.start();
    }
}

} // namespace quaro
