#pragma once

// The hardware edge of the capture flow, scripted: a microphone that writes a
// small real file and answers when told to, and a speech engine that answers
// from a script and can be held to show the order of the queue.
#include "app/capture/CaptureDevice.h"
#include "app/capture/SpeechEngine.h"

#include <QMetaObject>
#include <QObject>

#include <cmath>

#include <condition_variable>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>

namespace quaro::testing {

class FakeCaptureDevice : public QObject, public CaptureDevice {
public:
    std::vector<Microphone> mics{{"mic-a", "Microfone USB Alfa"}, {"mic-b", "Headset"}};
    // The sound server's default input; absent: it names none.
    std::optional<std::string> defaultID;
    MicrophonePermission access = MicrophonePermission::authorised;
    std::optional<RecorderError> startError, stopError;
    // When set, completions wait in `starts`/`stops` until the test delivers them.
    bool holdCallbacks = false;
    double secondsValue = 2.0;
    std::vector<std::filesystem::path> startedFiles;
    std::vector<std::string> calls;
    std::deque<std::function<void()>> starts, stops;

    std::vector<Microphone> microphones() override { return mics; }
    std::optional<std::string> defaultMicrophoneID() override { return defaultID; }
    MicrophonePermission permission() override { return access; }

    void start(std::optional<std::string> mic, std::filesystem::path file, StartCompletion done) override
    {
        calls.push_back("start:" + mic.value_or("default"));
        startedFiles.push_back(file);
        std::ofstream(file, std::ios::binary | std::ios::app) << "not really AAC";
        m_open = startError ? std::nullopt : std::optional(file);
        auto result = startError ? Result<void, RecorderError>(Failure{*startError}) : Result<void, RecorderError>();
        answer(starts, [done, result] { done(result); });
    }
    void stop(StopCompletion done) override
    {
        calls.push_back("stop");
        auto file = m_open;
        m_open.reset();
        Result<std::filesystem::path, RecorderError> result =
            stopError || !file ? Result<std::filesystem::path, RecorderError>(
                                     Failure{stopError.value_or(RecorderError::notRecording())})
                               : Result<std::filesystem::path, RecorderError>(*file);
        answer(stops, [done, result] { done(result); });
    }
    void pause() override { calls.push_back("pause"); }
    void resume() override { calls.push_back("resume"); }
    void switchMicrophone(std::optional<std::string> id) override { calls.push_back("switch:" + id.value_or("default")); }
    double seconds() const override { return secondsValue; }
    float level() const override { return 0; }
    void setSampleTap(SampleTap listener) override { tap = std::move(listener); }
    // Hands the live listener `seconds` of a loud tone, or of silence.
    void say(double seconds, bool loud = true)
    {
        std::vector<float> samples(static_cast<std::size_t>(seconds * 48000));
        for (std::size_t i = 0; loud && i < samples.size(); ++i)
            samples[i] = 0.3f * float(std::sin(double(i) * 0.06));
        if (tap)
            tap(samples.data(), samples.size());
    }
    void setUnexpectedStopHandler(UnexpectedStopHandler handler) override { unexpectedStop = std::move(handler); }
    void setMicrophonesChangedHandler(std::function<void()> handler) override { changed = std::move(handler); }

    static void deliver(std::deque<std::function<void()>>& pending)
    {
        auto next = std::move(pending.front());
        pending.pop_front();
        next();
    }

    UnexpectedStopHandler unexpectedStop;
    std::function<void()> changed;
    SampleTap tap;

private:
    // Like the recorder, answers later through the event loop, never inside the call.
    void answer(std::deque<std::function<void()>>& pending, std::function<void()> completion)
    {
        if (holdCallbacks)
            pending.push_back(std::move(completion));
        else
            QMetaObject::invokeMethod(this, std::move(completion), Qt::QueuedConnection);
    }

    std::optional<std::filesystem::path> m_open;
};

class ScriptedSpeechEngine : public SpeechEngine {
public:
    // Transcript by file; files not listed get `fallback`.
    std::map<std::filesystem::path, Result<std::string, TranscriberError>> script;
    Result<std::string, TranscriberError> fallback = std::string("Um recado qualquer.");

    Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio, const std::string&) override
    {
        std::unique_lock lock(m_mutex);
        m_order.push_back(audio);
        m_maxRunning = std::max(m_maxRunning, ++m_running);
        m_released.wait(lock, [&] { return !m_permits || *m_permits > 0; });
        if (m_permits)
            --*m_permits;
        --m_running;
        auto found = script.find(audio);
        return found == script.end() ? fallback : found->second;
    }

    // Stretches are "trecho 1", "trecho 2"...; an empty tail says nothing.
    Result<std::string, TranscriberError> transcribeSamples(std::span<const float> samples, const std::string&) override
    {
        auto text = transcribe("trecho", {});
        if (samples.empty())
            return std::string();
        std::lock_guard lock(m_mutex);
        return "trecho " + std::to_string(++m_stretches);
    }
    Result<std::string, TranscriberError> transcribeWith(const std::filesystem::path& audio,
                                                         const std::string& languageID,
                                                         const std::string& model) override
    {
        {
            std::lock_guard lock(m_mutex);
            models.push_back(model);
        }
        return transcribe(audio, languageID);
    }
    std::vector<std::string> models; // asked for by name, in order

    // The queue gives up on quit; a held test engine lets go then.
    void cancel() override { release(); }

    // Held, transcriptions wait until allowOne() lets one through or
    // release() lets them all go.
    void hold() { permits([](std::optional<int>& p) { p = 0; }); }
    void allowOne() { permits([](std::optional<int>& p) { if (p) ++*p; }); }
    void release() { permits([](std::optional<int>& p) { p.reset(); }); }
    std::vector<std::filesystem::path> order()
    {
        std::lock_guard lock(m_mutex);
        return m_order;
    }
    int maxRunning()
    {
        std::lock_guard lock(m_mutex);
        return m_maxRunning;
    }

private:
    void permits(const std::function<void(std::optional<int>&)>& change)
    {
        {
            std::lock_guard lock(m_mutex);
            change(m_permits);
        }
        m_released.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_released;
    std::optional<int> m_permits; // absent: not held
    int m_running = 0;
    int m_maxRunning = 0;
    int m_stretches = 0;
    std::vector<std::filesystem::path> m_order;
};

} // namespace quaro::testing
