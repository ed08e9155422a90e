#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quaro::testing {

// A fresh folder under the system's temporary directory, removed with its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& path);
std::string sha1Hex(const std::string& bytes);

// PocketSphinx's own test recording ("go forward ten meters"), 16 kHz mono.
std::vector<float> goForwardSamples();

// `seconds` of a 440 Hz tone at 16 kHz.
std::vector<float> tone(double seconds);

// A tiny random-weight whisper model (see RandomWhisperModel.h), written once
// per test program into a folder of its own and only read by the tests.
const std::filesystem::path& tinyRandomModel();

// Writes 16-bit mono PCM samples as a WAV file.
bool writeWav(const std::filesystem::path& path, const std::vector<float>& samples, int sampleRate);

// The files left in `directory`, by name.
std::vector<std::string> filesIn(const std::filesystem::path& directory);

} // namespace quaro::testing
