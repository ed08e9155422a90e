#include "SpeechTestSupport.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <algorithm>

#include <openssl/evp.h>

#include "RandomWhisperModel.h"

namespace quaro::testing {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quaro-speech-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::string sha1Hex(const std::string& bytes)
{
    unsigned char sum[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), sum, &size, EVP_sha1(), nullptr);
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        text += digits[sum[i] >> 4];
        text += digits[sum[i] & 0xf];
    }
    return text;
}

std::vector<float> goForwardSamples()
{
    const std::string raw = readFile(QUARO_GOFORWARD_RAW);
    std::vector<float> samples(raw.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::int16_t s;
        std::copy_n(raw.data() + 2 * i, 2, reinterpret_cast<char*>(&s));
        samples[i] = static_cast<float>(s) / 32768.0f;
    }
    return samples;
}

std::vector<float> tone(double seconds)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * 16000));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.3f * static_cast<float>(std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / 16000.0));
    return samples;
}

bool writeWav(const std::filesystem::path& path, const std::vector<float>& samples, int sampleRate)
{
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(static_cast<std::uint32_t>(sampleRate));
    u32(static_cast<std::uint32_t>(sampleRate) * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (float s : samples) {
        const auto v = static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
        u16(static_cast<std::uint16_t>(v));
    }
    return static_cast<bool>(out);
}

const std::filesystem::path& tinyRandomModel()
{
    static TempDir dir;
    static const std::filesystem::path path = [] {
        const auto file = dir.path() / "ggml-tiny-random.bin";
        if (!writeRandomWhisperModel(file))
            std::abort();
        return file;
    }();
    return path;
}

std::vector<std::string> filesIn(const std::filesystem::path& directory)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace quaro::testing
