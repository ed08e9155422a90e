#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quaro::testing {

using quaro::testing::TempDir;

std::string readFile(const std::filesystem::path& path);
std::string sha1Hex(const std::string& bytes);

// PocketSphinx's own test recording ("go forward ten meters"), 16 kHz mono.
std::vector<float> goForwardSamples();

// `seconds` of a 440 Hz tone at 16 kHz.
std::vector<float> tone(double seconds);

// A tiny random-weight whisper model (see RandomWhisperModel.h), written once
// per test program into a folder of its own and only read by the tests.
const std::filesystem::path& tinyRandomModel();

// Random-weight models of the published "tiny" and "base" dimensions (75 and
// 142 MB), each written once per test program.
const std::filesystem::path& randomModelOfTinySize();
const std::filesystem::path& randomModelOfBaseSize();

// The files left in `directory`, by name.
std::vector<std::string> filesIn(const std::filesystem::path& directory);

} // namespace quaro::testing
