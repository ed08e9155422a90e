#pragma once

#include "core/Result.h"
#include "media/AacWriter.h"
#include "media/AudioConverter.h"
#include "media/Microphone.h"
#include "media/PcmBuffer.h"
#include "media/RecorderError.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// The platform's capture session as the recorder drives it: device lookup,
// one attached input, a data output and running state. Implemented over Qt
// Multimedia in the application and by a fake in tests.
class CaptureSession {
public:
    virtual ~CaptureSession() = default;
    virtual std::optional<Microphone> device(const std::string& id) = 0;
    virtual std::optional<Microphone> defaultDevice() = 0;
    // Makes `microphone` the session's only input. On failure the previous
    // input stays (or is put back when possible) and the error says why:
    // the platform's own, or `cannotUseMicrophone`.
    virtual Result<void, RecorderError> attach(const Microphone& microphone) = 0;
    // Makes sure buffers will be delivered; false when they cannot be.
    virtual bool prepareOutput() = 0;
    virtual bool isRunning() const = 0;
    // Starts delivering buffers; isRunning() tells whether it worked.
    virtual void startRunning() = 0;
    virtual void stopRunning() = 0;
};

// Where a recording's samples (mono float, 48 kHz) go.
class RecordingSink {
public:
    virtual ~RecordingSink() = default;
    virtual Result<void, AudioWriteError> write(const float* samples, std::size_t count) = 0;
    virtual Result<void, AudioWriteError> close() = 0;
};

using RecordingSinkFactory =
    std::function<Result<std::unique_ptr<RecordingSink>, AudioWriteError>(const std::filesystem::path&)>;

// The default: Quaro's AAC file.
RecordingSinkFactory aacRecordingSinkFactory();

// A recording that had to stop on its own because the file could not be written.
struct UnexpectedStop {
    std::filesystem::path file;
    std::optional<RecorderError> error;
};

// The recorder's logic, free of any platform: opening and closing the file,
// the per-buffer path (level, conversion to 48 kHz mono float, writing),
// pause, microphone switching and the fall-back to the default microphone.
//
// Not thread-safe: every call except seconds() and level() must come from
// one serial worker, the one that also delivers the buffers. seconds() and
// level() may be read from any thread.
class RecorderCore {
public:
    explicit RecorderCore(CaptureSession& session, RecordingSinkFactory sinks = aacRecordingSinkFactory());
    ~RecorderCore();

    // Opens a new recording at `file` with the given microphone (none: the
    // default one). A recording still open is closed first, unreported.
    Result<void, RecorderError> start(const std::optional<std::string>& microphoneID,
                                      const std::filesystem::path& file);
    // Closes the recording and gives its location.
    Result<std::filesystem::path, RecorderError> stop();
    void pause();
    void resume();
    // Attaches another microphone without interrupting the recording; on
    // failure logs it and falls back to the default microphone.
    void switchMicrophone(const std::optional<std::string>& id);
    // A capture device went away; only the attached one matters.
    void deviceDisconnected(const std::string& id);

    // The buffer path. Returns the unexpected stop when writing failed.
    std::optional<UnexpectedStop> handleBuffer(const PcmBufferView& buffer);

    // Also hands every block of samples written (mono float, 48 kHz) to
    // `tap`, on the worker, right after it reaches the file; live
    // transcription listens here. Empty: nobody listens.
    using SampleTap = std::function<void(const float* samples, std::size_t count)>;
    void setSampleTap(SampleTap tap) { m_tap = std::move(tap); }

    double seconds() const { return m_seconds.load(std::memory_order_relaxed); }
    float level() const { return m_level.load(std::memory_order_relaxed); }
    bool isRecording() const { return m_file != nullptr; }
    bool isPaused() const { return m_paused; }
    std::optional<std::string> inputID() const { return m_inputID; }
    std::int64_t framesWritten() const { return m_framesWritten; }

private:
    enum class Force { no, yes };
    Result<void, RecorderError> useMicrophone(const std::optional<std::string>& id, Force force);
    Result<void, AudioWriteError> closeFile();

    CaptureSession& m_session;
    RecordingSinkFactory m_sinks;
    std::optional<std::string> m_inputID;
    std::string m_inputName;
    std::unique_ptr<RecordingSink> m_file;
    std::optional<std::filesystem::path> m_fileURL;
    std::optional<AudioConverter> m_converter;
    std::optional<PcmFormat> m_converterSource;
    bool m_paused = false;
    std::int64_t m_framesWritten = 0;
    std::vector<float> m_converted;
    SampleTap m_tap;
    std::atomic<double> m_seconds{0};
    std::atomic<float> m_level{0};
};

} // namespace quaro
