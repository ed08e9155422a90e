#include "Fixtures.h"

#include "media/AacWriter.h"
#include "media/AudioConverter.h"
#include "media/AudioDecode.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quaro;
using namespace quaro::testing;

TEST(AacWriterTest, WritesDecodableMonoAacOfTheFramesGiven)
{
    TempDir dir;
    auto created = AacWriter::create(dir / "a.m4a");
    ASSERT_TRUE(created.ok()) << created.error().description;
    auto& writer = *created.value();
    std::vector<float> chunk(1000);
    for (int n = 0; n < 72; ++n) { // 72 000 frames in odd-sized pieces
        for (std::size_t i = 0; i < chunk.size(); ++i)
            chunk[i] = 0.5f * std::sin(float(n * 1000 + int(i)) * 0.05f);
        ASSERT_TRUE(writer.write(chunk.data(), chunk.size()).ok());
    }
    EXPECT_EQ(writer.frames(), 72000);
    ASSERT_TRUE(writer.close().ok());
    std::size_t decoded = 0;
    ASSERT_TRUE(decodeAudio(dir / "a.m4a", 48000, [&](const float*, std::size_t n) { decoded += n; }).ok());
    EXPECT_NEAR(double(decoded), 72000.0, 1100.0);
}

TEST(AacWriterTest, ReportsCreateAndWriteFailures)
{
    TempDir dir;
    auto missing = AacWriter::create(dir / "no" / "such" / "a.m4a");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().description.find("a.m4a"), std::string::npos);

    // A full disk surfaces as a failed write or close, never as success.
    auto full = AacWriter::create("/dev/full");
    bool failed = !full.ok();
    std::vector<float> noise(48000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = float((i * 7919) % 2000) / 1000.0f - 1.0f;
    for (int second = 0; second < 30 && !failed; ++second)
        failed = !full.value()->write(noise.data(), noise.size()).ok();
    if (!failed)
        failed = !full.value()->close().ok();
    EXPECT_TRUE(failed);
}

TEST(AudioConverterTest, ResamplesAndMixesEveryCaptureLayout)
{
    for (SampleType type : {SampleType::float32, SampleType::int16, SampleType::int32}) {
        for (int rate : {16000, 44100, 48000}) {
            for (int channels : {1, 2}) {
                for (bool interleaved : {true, false}) {
                    SCOPED_TRACE(std::to_string(int(type)) + "/" + std::to_string(rate) + "/"
                                 + std::to_string(channels) + (interleaved ? "i" : "p"));
                    auto converter = AudioConverter::make({type, rate, channels, interleaved});
                    ASSERT_TRUE(converter);
                    // One second of full-scale DC in every channel, in 10 pieces.
                    const int frames = rate / 10;
                    const std::size_t bytes = type == SampleType::int16 ? 2 : 4;
                    std::vector<std::uint8_t> data(std::size_t(frames * channels) * bytes);
                    for (std::size_t i = 0; i < std::size_t(frames * channels); ++i) {
                        if (type == SampleType::float32) {
                            const float v = 0.5f;
                            std::memcpy(&data[i * 4], &v, 4);
                        } else if (type == SampleType::int16) {
                            const std::int16_t v = 16384;
                            std::memcpy(&data[i * 2], &v, 2);
                        } else {
                            const std::int32_t v = 1 << 30;
                            std::memcpy(&data[i * 4], &v, 4);
                        }
                    }
                    std::vector<const std::uint8_t*> planes;
                    for (int c = 0; c < (interleaved ? 1 : channels); ++c)
                        planes.push_back(data.data() + std::size_t(c * frames) * bytes);
                    std::vector<float> out, all;
                    for (int piece = 0; piece < 10; ++piece) {
                        ASSERT_TRUE(converter->convert(planes.data(), frames, out));
                        all.insert(all.end(), out.begin(), out.end());
                    }
                    ASSERT_TRUE(converter->flush(out));
                    all.insert(all.end(), out.begin(), out.end());
                    EXPECT_NEAR(double(all.size()), 48000.0, 2.0);
                    EXPECT_NEAR(all[all.size() / 2], 0.5f, 1e-3); // averaged, not summed
                }
            }
        }
    }
    EXPECT_FALSE(AudioConverter::make({SampleType::float32, 0, 1, true}));
    EXPECT_FALSE(AudioConverter::make({SampleType::float32, 48000, 0, true}));
}
