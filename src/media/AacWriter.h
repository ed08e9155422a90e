#pragma once

#include "core/Result.h"
#include "media/AudioWriteError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace quaro {

// Writes Quaro's audio format: AAC-LC, 48 000 Hz, mono, 64 kbit/s, in an
// MPEG-4 (.m4a) container, from 32-bit float mono samples. Shared by the
// recorder and the importer. One thread at a time; the file is complete only
// after close() (the destructor closes without reporting).
class AacWriter {
public:
    static constexpr int sampleRate = 48000;
    static constexpr int bitRate = 64000;
    static constexpr int bandwidth = 12000; // Hz

    static Result<std::unique_ptr<AacWriter>, AudioWriteError> create(const std::filesystem::path& path);
    ~AacWriter();
    AacWriter(const AacWriter&) = delete;
    AacWriter& operator=(const AacWriter&) = delete;

    Result<void, AudioWriteError> write(const float* samples, std::size_t count);
    Result<void, AudioWriteError> close();

    // Frames handed to write() so far.
    std::int64_t frames() const { return m_frames; }
    const std::filesystem::path& path() const { return m_path; }

private:
    struct State;
    AacWriter(std::filesystem::path path, std::unique_ptr<State> state);
    // What encode() hands the encoder: the samples gathered so far, or the
    // end of the stream (which drains it).
    enum class Encode { waitingSamples, endOfStream };
    Result<void, AudioWriteError> encode(Encode what);
    AudioWriteError failure(const std::string& detail) const;

    std::filesystem::path m_path;
    std::unique_ptr<State> m_state;
    std::int64_t m_frames = 0;
    bool m_closed = false;
};

} // namespace quaro
