#pragma once

#include "core/Result.h"
#include "media/Microphone.h"
#include "media/RecorderCore.h"
#include "media/RecorderError.h"

#include <QObject>
#include <QThread>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

class RecorderWorker;

// Records the microphone into Quaro's AAC files. Owned by the application
// state and used from the thread that created it (the main thread): every
// operation returns at once, the work runs on the recorder's own serial
// worker thread ("quaro.recorder"), and completions and onUnexpectedStop
// come back on the creating thread.
class Recorder : public QObject {
    Q_OBJECT
public:
    using StartCompletion = std::function<void(Result<void, RecorderError>)>;
    using StopCompletion = std::function<void(Result<std::filesystem::path, RecorderError>)>;
    using UnexpectedStopCallback = std::function<void(std::filesystem::path, std::optional<RecorderError>)>;

    explicit Recorder(QObject* parent = nullptr);
    ~Recorder() override;

    // The capture devices, in the platform's order.
    static std::vector<Microphone> microphones();

    void start(std::optional<std::string> microphoneID, std::filesystem::path file, StartCompletion completion);
    void stop(StopCompletion completion);
    void pause();
    void resume();
    void switchMicrophone(std::optional<std::string> id);
    // Receives the samples written, on the recorder's thread (see RecorderCore).
    void setSampleTap(RecorderCore::SampleTap tap);

    // Seconds recorded and the level (0...1) of the last buffer; cheap
    // enough to poll from a timer.
    double seconds() const;
    float level() const;

    // Called when a write failed and the recording had to stop.
    UnexpectedStopCallback onUnexpectedStop;

private:
    template <typename F>
    void post(F&& work);

    QThread m_thread;
    std::unique_ptr<RecorderWorker> m_worker;
};

} // namespace quaro
