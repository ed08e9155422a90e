#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace quaro {

// Where a recording is cut into stretches that can be transcribed while the
// user is still speaking. Times in seconds.
struct StretchRules {
    int sampleRate = 16000;
    // A run of quiet at least this long, after speech, ends a stretch; the
    // cut falls in its middle, so that no word is split.
    double pause = 0.5;
    // A stretch is not cut at a pause before it holds this much audio: every
    // stretch costs the engine a pass of its own.
    double minimum = 2.0;
    // Nor does it grow past this (whisper hears at most 30 s at once): it is
    // then cut at its quietest moment in the last quarter.
    double maximum = 25.0;
};

// One completed stretch of 16 kHz mono samples.
struct Stretch {
    std::vector<float> samples;
    // False when nothing in it rose above the quiet: there is nothing to hear.
    bool speech = false;
};

// Cuts a stream of samples at the pauses between phrases. A frame (30 ms) is
// quiet when its level stays near the running noise floor (tracked from the
// quietest frames, rising slowly) or under -50 dBFS. Plain value type; not
// thread-safe.
class StretchCutter {
public:
    explicit StretchCutter(StretchRules rules = {});

    // Appends samples; returns the stretches they complete, in order.
    std::vector<Stretch> push(std::span<const float> samples);
    // The rest of the stream (the tail), leaving the cutter empty.
    Stretch finish();
    // Samples waiting for their stretch to end.
    std::size_t pending() const { return m_samples.size(); }

private:
    void addFrame(float decibels);
    bool readyAtPause() const;
    std::size_t quietestCut() const;
    Stretch cut(std::size_t frames);

    StretchRules m_rules;
    std::size_t m_frameSize;
    std::vector<float> m_samples;
    // One flag per complete frame of m_samples.
    std::vector<bool> m_loud;
    std::vector<float> m_levels;
    std::size_t m_quietRun = 0;
    float m_noise = 0;
    bool m_noiseKnown = false;
};

} // namespace quaro
