#include "app/RecorderWorker.h"

namespace quaro {

RecorderWorker::RecorderWorker(UnexpectedStopHandler onUnexpectedStop)
    : m_session(this), m_core(m_session), m_onUnexpectedStop(std::move(onUnexpectedStop))
{
    m_session.setBufferHandler([this](const PcmBufferView& buffer) {
        if (auto stopped = m_core.handleBuffer(buffer); stopped && m_onUnexpectedStop)
            m_onUnexpectedStop(*stopped);
    });
    m_session.setDeviceLostHandler([this](const std::string& id) { m_core.deviceDisconnected(id); });
}

RecorderWorker::~RecorderWorker() = default;

void RecorderWorker::shutdown()
{
    if (m_core.isRecording())
        (void)m_core.stop();
    if (m_session.isRunning())
        m_session.stopRunning();
}

} // namespace quaro
