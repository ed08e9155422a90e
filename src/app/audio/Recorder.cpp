#include "app/audio/Recorder.h"

#include "app/audio/RecorderWorker.h"

#include <QMediaDevices>

namespace quaro {

Recorder::Recorder(QObject* parent) : QObject(parent)
{
    // Bring Qt Multimedia's device layer up on this thread, so it never ends
    // up owned by the worker.
    (void)QMediaDevices::audioInputs();

    // The worker never outlives this object (the destructor drains it), and
    // Qt drops calls still queued for an object that is gone.
    m_worker = std::make_unique<RecorderWorker>([this](const UnexpectedStop& stopped) {
        QMetaObject::invokeMethod(
            this,
            [this, stopped] {
                if (onUnexpectedStop)
                    onUnexpectedStop(stopped.file, stopped.error);
            },
            Qt::QueuedConnection);
    });
    m_thread.setObjectName(QStringLiteral("quaro.recorder"));
    m_worker->moveToThread(&m_thread);
    m_worker->moveSessionToThread(&m_thread);
    m_thread.start();
}

Recorder::~Recorder()
{
    QMetaObject::invokeMethod(m_worker.get(), [worker = m_worker.get()] { worker->shutdown(); },
                              Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    // Only now, with its thread finished, may the worker go.
    m_worker.reset();
}

template <typename F>
void Recorder::post(F&& work)
{
    QMetaObject::invokeMethod(m_worker.get(), std::forward<F>(work), Qt::QueuedConnection);
}

std::vector<Microphone> Recorder::microphones()
{
    return QtCaptureSession::microphones();
}

namespace {

// Hands a worker's result to its completion on the thread that owns `context`.
template <typename Completion, typename Value>
void deliver(QObject* context, Completion completion, Value result)
{
    QMetaObject::invokeMethod(
        context,
        [completion = std::move(completion), result = std::move(result)] {
            if (completion)
                completion(result);
        },
        Qt::QueuedConnection);
}

} // namespace

void Recorder::start(std::optional<std::string> microphoneID, std::filesystem::path file,
                     StartCompletion completion)
{
    post([this, microphoneID = std::move(microphoneID), file = std::move(file),
          completion = std::move(completion)] {
        deliver(this, completion, m_worker->core().start(microphoneID, file));
    });
}

void Recorder::stop(StopCompletion completion)
{
    post([this, completion = std::move(completion)] {
        deliver(this, completion, m_worker->core().stop());
    });
}

void Recorder::pause()
{
    post([this] { m_worker->core().pause(); });
}

void Recorder::resume()
{
    post([this] { m_worker->core().resume(); });
}

void Recorder::switchMicrophone(std::optional<std::string> id)
{
    post([this, id = std::move(id)] { m_worker->core().switchMicrophone(id); });
}

void Recorder::setSampleTap(RecorderCore::SampleTap tap)
{
    post([this, tap = std::move(tap)]() mutable { m_worker->core().setSampleTap(std::move(tap)); });
}

double Recorder::seconds() const
{
    return m_worker->core().seconds();
}

float Recorder::level() const
{
    return m_worker->core().level();
}

} // namespace quaro
