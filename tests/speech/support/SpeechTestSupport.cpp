#include "SpeechTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>

#include <openssl/evp.h>

#include "RandomWhisperModel.h"
#include "core/Hex.h"

namespace quaro::testing {
namespace {

std::filesystem::path writtenOnce(const char* name, const WhisperDims& dims)
{
    static TempDir dir;
    const auto file = dir.path() / name;
    if (!writeRandomWhisperModel(file, dims))
        std::abort();
    return file;
}

} // namespace

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string sha1Hex(const std::string& bytes)
{
    unsigned char sum[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), sum, &size, EVP_sha1(), nullptr);
    return hexEncode(std::span<const unsigned char>(sum, size));
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

const std::filesystem::path& tinyRandomModel()
{
    static const std::filesystem::path path = writtenOnce("ggml-tiny-random.bin", {});
    return path;
}

const std::filesystem::path& randomModelOfTinySize()
{
    static const std::filesystem::path path = writtenOnce("ggml-tiny.bin", WhisperDims::tiny());
    return path;
}

const std::filesystem::path& randomModelOfBaseSize()
{
    static const std::filesystem::path path = writtenOnce("ggml-base.bin", WhisperDims::base());
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
