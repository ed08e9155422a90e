#pragma once

#include "app/QtCaptureSession.h"
#include "media/RecorderCore.h"

#include <QObject>

#include <functional>

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

    RecorderCore& core() { return m_core; }
    // Closes any open recording and releases the device (on the worker thread).
    void shutdown();

private:
    QtCaptureSession m_session;
    RecorderCore m_core;
    UnexpectedStopHandler m_onUnexpectedStop;
};

} // namespace quaro
