#pragma once

#include "app/capture/CaptureDevice.h"
#include "app/capture/TranscriptionQueue.h"
#include "speech/StretchCutter.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// The stretches of one recording and their texts, filled in on the main
// thread as the queue transcribes them.
struct LiveStretches {
    std::vector<std::optional<std::string>> texts; // by stretch, in order
    int queued = 0;
    int done = 0;
    int failed = 0;
    // Set when live transcription gives way to one pass over the file: the
    // stretches still queued are skipped.
    std::shared_ptr<std::atomic<bool>> dropped = std::make_shared<std::atomic<bool>>(false);

    int waiting() const { return queued - done - failed; }
};

// What is left of a recording at its stop when live transcription kept up:
// the stretches (transcribed or still queued) and the tail after the last cut.
struct LiveHandover {
    std::shared_ptr<LiveStretches> stretches;
    Stretch tail;
    int doneBeforeStop = 0;
};

// Transcribes a recording while it is being made. The recorder hands every
// block it writes to `tap()` (on its own thread); the blocks are brought to
// 16 kHz and cut at the pauses between phrases, and each completed stretch
// joins the transcription queue, the same one-at-a-time queue as whole files,
// so one model works with its threads at a time. At the stop only the tail
// is left.
//
// It gives way to today's single pass over the file (which holds all the
// audio) when the queue falls behind the speech, when a stretch fails, or
// when the samples heard do not cover the whole recording. Main thread,
// except the tap.
class LiveTranscription : public QObject {
    Q_OBJECT
public:
    explicit LiveTranscription(TranscriptionQueue& queue, StretchRules rules = {}, QObject* parent = nullptr);
    ~LiveTranscription() override;

    // Thread-safe; keeps working (idly) after this object is gone.
    CaptureDevice::SampleTap tap() const;

    // The recording `id` starts; any other one in progress is forgotten.
    void begin(const std::string& id, const std::string& languageID);
    // The recording in progress is dropped (discarded, failed, too short)
    // or recorded without live transcription.
    void drop();
    // The same, only when `id` is the recording in progress.
    void forget(const std::string& id);
    // The recording `id`, `seconds` long, stopped and every sample written
    // has reached the tap. Absent: transcribe the file in one pass.
    std::optional<LiveHandover> finish(const std::string& id, double seconds, const std::string& languageID);

    // Stretches the queue may hold for one recording before live
    // transcription counts as falling behind.
    static constexpr int maximumBacklog = 3;

signals:
    // Another stretch of the recording in progress was transcribed.
    void stretchDone(int done);

private:
    struct Feed;

    void stretchCut(std::uint64_t generation, Stretch stretch);
    void enqueue(Stretch stretch);
    void giveUp(const QString& why);

    TranscriptionQueue& m_queue;
    std::shared_ptr<Feed> m_feed;
    std::uint64_t m_generation = 0;
    std::string m_recordingID;
    std::string m_languageID;
    std::shared_ptr<LiveStretches> m_current;
};

} // namespace quaro
