#pragma once

#include "core/Result.h"
#include "media/Microphone.h"
#include "media/RecorderError.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// Whether the user lets Quaro use the microphone. Linux asks nothing, so the
// recorder's device reports `authorised`; a sandboxed build asks its portal.
enum class MicrophonePermission { authorised, undetermined, denied };

// The microphone as the capture flow sees it: the application's recorder in
// production, a scripted fake in tests. Used from the main thread only; every
// completion and handler is called back on the main thread.
class CaptureDevice {
public:
    using StartCompletion = std::function<void(Result<void, RecorderError>)>;
    using StopCompletion = std::function<void(Result<std::filesystem::path, RecorderError>)>;
    // The file of the recording that had to stop, and why when known.
    using UnexpectedStopHandler = std::function<void(std::filesystem::path, std::optional<RecorderError>)>;

    virtual ~CaptureDevice() = default;

    virtual std::vector<Microphone> microphones() = 0;
    // The id of the sound server's default input, as the server says it now;
    // absent when it names none.
    virtual std::optional<std::string> defaultMicrophoneID() { return std::nullopt; }

    virtual MicrophonePermission permission() { return MicrophonePermission::authorised; }
    // Asks the user once; `answer` receives whether access was granted.
    virtual void requestPermission(std::function<void(bool granted)> answer) { answer(true); }

    // Opens a new recording into `file` with the given microphone (absent:
    // the system default).
    virtual void start(std::optional<std::string> microphoneID, std::filesystem::path file,
                       StartCompletion completion) = 0;
    virtual void stop(StopCompletion completion) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void switchMicrophone(std::optional<std::string> id) = 0;

    // Receives every block of samples written to the recording (mono float,
    // 48 kHz) on the device's own thread, as soon as it is written. A device
    // that offers none records without live transcription.
    using SampleTap = std::function<void(const float* samples, std::size_t count)>;
    virtual void setSampleTap(SampleTap) {}

    // Seconds recorded so far and the input level (0...1); polled.
    virtual double seconds() const = 0;
    virtual float level() const = 0;

    virtual void setUnexpectedStopHandler(UnexpectedStopHandler handler) = 0;
    // Called when microphones are plugged in or removed.
    virtual void setMicrophonesChangedHandler(std::function<void()> handler) = 0;
};

} // namespace quaro
