#pragma once

// Helpers shared by the media tests: audio fixtures made on the spot with the
// command-line tools (ffmpeg, sox, opusenc, espeak-ng), so no binary file
// lives in the repository. Temporary folders come from tests/support.

#include "core/Log.h"
#include "media/AudioDecode.h"
#include "support/Take.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

namespace quaro::testing {

inline std::string quote(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

inline bool sh(const std::string& command) { return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0; }

inline std::string capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The file decoded to mono float samples at `rate`; the largest chunk the
// decoder handed over goes to `largestChunk`.
inline std::vector<float> decodeAll(const std::filesystem::path& file, int rate = 48000,
                                    std::size_t* largestChunk = nullptr)
{
    std::vector<float> all;
    auto result = decodeAudio(file, rate, [&](const float* s, std::size_t n) {
        all.insert(all.end(), s, s + n);
        if (largestChunk)
            *largestChunk = std::max(*largestChunk, n);
    });
    EXPECT_TRUE(result.ok()) << (result ? "" : result.error().description());
    return all;
}

inline std::filesystem::path makeTone(const TempDir& dir, const std::string& name, double seconds, int rate = 48000,
                                      int channels = 1, const std::string& synth = "sine 440")
{
    auto path = dir / name;
    EXPECT_TRUE(sh("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 " + quote(path)
                   + " synth " + std::to_string(seconds) + " " + synth + " vol 0.5"));
    return path;
}

// Collects the "[Quaro] ..." log lines for the life of the object.
class LogCapture {
public:
    LogCapture()
    {
        setLogHandler([this](LogArea, const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    ~LogCapture() { setLogHandler(nullptr); }
    std::vector<std::string> lines()
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

inline std::size_t oggPageLength(const std::vector<std::uint8_t>& file, std::size_t offset)
{
    std::size_t length = 27 + file[offset + 26];
    for (std::size_t i = 0; i < file[offset + 26]; ++i)
        length += file[offset + 27 + i];
    return length;
}

// Recomputes a page's checksum (polynomial 0x04c11db7, no reflection) after
// a test patched it, so that other readers accept it too.
inline void fixOggCrc(std::vector<std::uint8_t>& file, std::size_t offset)
{
    const std::size_t end = offset + std::min(oggPageLength(file, offset), file.size() - offset);
    std::memset(&file[offset + 22], 0, 4);
    std::uint32_t crc = 0;
    for (std::size_t i = offset; i < end; ++i) {
        crc ^= std::uint32_t(file[i]) << 24;
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    for (int i = 0; i < 4; ++i)
        file[offset + 22 + std::size_t(i)] = std::uint8_t(crc >> (8 * i));
}

inline std::vector<std::uint8_t> oggPage(std::uint32_t serial, std::uint8_t headerType,
                                         const std::vector<std::uint8_t>& lacing,
                                         const std::vector<std::uint8_t>& body)
{
    std::vector<std::uint8_t> page = {'O', 'g', 'g', 'S', 0, headerType};
    page.resize(27, 0);
    std::memcpy(&page[14], &serial, 4); // little-endian machine, as the format
    page[26] = std::uint8_t(lacing.size());
    page.insert(page.end(), lacing.begin(), lacing.end());
    page.insert(page.end(), body.begin(), body.end());
    fixOggCrc(page, 0);
    return page;
}

} // namespace quaro::testing
