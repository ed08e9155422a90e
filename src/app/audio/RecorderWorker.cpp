#include "app/audio/RecorderWorker.h"

namespace quaro {

RecorderWorker::RecorderWorker(UnexpectedStopHandler onUnexpectedStop)
    : m_session(std::make_unique<QtCaptureSession>())
    , m_core(std::make_unique<RecorderCore>(*m_session))
    , m_onUnexpectedStop(std::move(onUnexpectedStop))
{
    // Not a QObject child: the session follows the worker to its thread
    // through moveToThread below, and dies in shutdown() on that thread.
    m_session->setBufferHandler([this](const PcmBufferView& buffer) {
        if (auto stopped = m_core->handleBuffer(buffer); stopped && m_onUnexpectedStop)
            m_onUnexpectedStop(*stopped);
    });
    m_session->setDeviceLostHandler([this](const std::string& id) { m_core->deviceDisconnected(id); });
}

void RecorderWorker::moveSessionToThread(QThread* thread)
{
    m_session->moveToThread(thread);
}

RecorderWorker::~RecorderWorker() = default;

void RecorderWorker::shutdown()
{
    if (m_core && m_core->isRecording())
        (void)m_core->stop();
    m_core.reset();
    m_session.reset();
}

} // namespace quaro
