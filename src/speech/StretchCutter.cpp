#include "speech/StretchCutter.h"

#include <algorithm>
#include <cmath>

namespace quaro {

namespace {

constexpr double kFrameSeconds = 0.03;
constexpr float kQuietFloor = -50.0f;      // dBFS: quieter than this is never speech
constexpr float kAboveNoise = 10.0f;       // dB over the noise floor that count as speech
constexpr float kNoiseRisePerFrame = 0.03f; // dB: the floor follows a louder room in about 10 s

float decibels(std::span<const float> frame)
{
    double sum = 0;
    for (float s : frame)
        sum += static_cast<double>(s) * s;
    const double rms = std::sqrt(sum / static_cast<double>(frame.size()));
    return static_cast<float>(20.0 * std::log10(std::max(rms, 1e-5)));
}

} // namespace

StretchCutter::StretchCutter(StretchRules rules)
    : m_rules(rules), m_frameSize(static_cast<std::size_t>(kFrameSeconds * rules.sampleRate))
{
}

std::vector<Stretch> StretchCutter::push(std::span<const float> samples)
{
    std::vector<Stretch> done;
    const auto maxFrames = static_cast<std::size_t>(m_rules.maximum / kFrameSeconds);
    for (float sample : samples) {
        m_samples.push_back(sample);
        if (m_samples.size() < (m_levels.size() + 1) * m_frameSize)
            continue;
        addFrame(decibels(std::span(m_samples).last(m_frameSize)));
        if (readyAtPause())
            done.push_back(cut(m_levels.size() - m_quietRun / 2));
        else if (m_levels.size() >= maxFrames)
            done.push_back(cut(quietestCut()));
    }
    return done;
}

Stretch StretchCutter::finish()
{
    Stretch tail;
    tail.samples = std::move(m_samples);
    tail.speech = std::find(m_loud.begin(), m_loud.end(), true) != m_loud.end();
    // A partial last frame counts as well: the stop may fall on a word.
    const std::size_t partial = m_levels.size() * m_frameSize;
    if (!tail.speech && partial < tail.samples.size())
        tail.speech = decibels(std::span(tail.samples).subspan(partial)) > kQuietFloor;
    *this = StretchCutter(m_rules);
    return tail;
}

void StretchCutter::addFrame(float level)
{
    if (!m_noiseKnown) {
        // Speech from the first frame must not be taken for the room's noise.
        m_noise = std::min(level, kQuietFloor);
        m_noiseKnown = true;
    } else if (level < m_noise) {
        m_noise = level;
    } else {
        m_noise += kNoiseRisePerFrame;
    }
    const bool loud = level > std::max(kQuietFloor, m_noise + kAboveNoise);
    m_levels.push_back(level);
    m_loud.push_back(loud);
    m_quietRun = loud ? 0 : m_quietRun + 1;
}

bool StretchCutter::readyAtPause() const
{
    const double quiet = static_cast<double>(m_quietRun) * kFrameSeconds;
    const double length = static_cast<double>(m_levels.size() - m_quietRun / 2) * kFrameSeconds;
    if (quiet < m_rules.pause || length < m_rules.minimum)
        return false;
    // Only after speech: a pause that goes on leaves only quiet behind the cut.
    return std::find(m_loud.begin(), m_loud.end() - static_cast<std::ptrdiff_t>(m_quietRun), true) !=
           m_loud.end() - static_cast<std::ptrdiff_t>(m_quietRun);
}

std::size_t StretchCutter::quietestCut() const
{
    const std::size_t from = m_levels.size() * 3 / 4;
    const auto quietest = std::min_element(m_levels.begin() + static_cast<std::ptrdiff_t>(from), m_levels.end());
    return static_cast<std::size_t>(quietest - m_levels.begin()) + 1;
}

Stretch StretchCutter::cut(std::size_t frames)
{
    const std::size_t count = frames * m_frameSize;
    Stretch stretch;
    stretch.samples.assign(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(count));
    stretch.speech = std::find(m_loud.begin(), m_loud.begin() + static_cast<std::ptrdiff_t>(frames), true) !=
                     m_loud.begin() + static_cast<std::ptrdiff_t>(frames);
    m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(count));
    m_levels.erase(m_levels.begin(), m_levels.begin() + static_cast<std::ptrdiff_t>(frames));
    m_loud.erase(m_loud.begin(), m_loud.begin() + static_cast<std::ptrdiff_t>(frames));
    m_quietRun = std::min(m_quietRun, m_levels.size());
    return stretch;
}

} // namespace quaro
