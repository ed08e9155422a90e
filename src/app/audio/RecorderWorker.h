#pragma once

#include "app/audio/QtCaptureSession.h"
#include "media/RecorderCore.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

namespace quaro {

// Owns the recorder's state on its serial worker thread: the capture
// session, the recorder logic and, through them, the open file. Every member
// runs on that thread; seconds and level are read through core() from anywhere.
class RecorderWorker : public QObject {
    Q_OBJECT
public:
    using UnexpectedStopHandler = std::function<void(const UnexpectedStop&)>;

    explicit RecorderWorker(UnexpectedStopHandler onUnexpectedStop);
    ~RecorderWorker() override;

    RecorderCore& core() { return *m_core; }
    // Closes any open recording and releases the device and every Qt object
    // of the session; runs on the worker thread before it ends.
    void shutdown();
    void moveSessionToThread(QThread* thread);

private:
    std::unique_ptr<QtCaptureSession> m_session;
    std::unique_ptr<RecorderCore> m_core;
    UnexpectedStopHandler m_onUnexpectedStop;
};

} // namespace quaro
