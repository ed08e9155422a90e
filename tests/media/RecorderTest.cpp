#include "Fixtures.h"

#include "media/AudioDecode.h"
#include "media/Log.h"
#include "media/RecorderCore.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

// The capture side of the platform: a list of devices, one attached input.
class FakeSession : public CaptureSession {
public:
    std::vector<Microphone> devices = {{"built-in", "Microfone Interno"}, {"usb-1", "USB Headset Mic"}};
    std::string defaultID = "built-in";
    std::optional<std::string> attached;
    std::optional<RecorderError> attachFailure; // next attach fails with this
    std::string refuse;                         // device id that always fails
    bool outputOK = true;
    bool running = false;
    int attachCount = 0;

    std::optional<Microphone> device(const std::string& id) override
    {
        for (const auto& d : devices)
            if (d.id == id)
                return d;
        return std::nullopt;
    }
    std::optional<Microphone> defaultDevice() override { return device(defaultID); }
    Result<void, RecorderError> attach(const Microphone& m) override
    {
        ++attachCount;
        if (attachFailure) {
            auto error = *attachFailure;
            attachFailure.reset();
            return Failure{error};
        }
        if (m.id == refuse)
            return Failure{RecorderError::cannotUseMicrophone(m.name)};
        attached = m.id;
        return {};
    }
    bool prepareOutput() override { return outputOK; }
    bool isRunning() const override { return running; }
    void startRunning() override { running = true; }
    void stopRunning() override { running = false; }
};

// The file edge: keeps what would be written, can be told to fail.
struct SinkLog {
    std::vector<fs::path> opened;
    std::vector<float> samples;
    int closed = 0;
    bool failWrites = false;
    bool failCreate = false;
};

class FakeSink : public RecordingSink {
public:
    explicit FakeSink(SinkLog& log) : m_log(log) {}
    Result<void, AudioWriteError> write(const float* s, std::size_t n) override
    {
        if (m_log.failWrites)
            return Failure{AudioWriteError{"Disco cheio."}};
        m_log.samples.insert(m_log.samples.end(), s, s + n);
        return {};
    }
    Result<void, AudioWriteError> close() override
    {
        ++m_log.closed;
        return {};
    }

private:
    SinkLog& m_log;
};

// Buffers of any capture layout: a sine at `amplitude` on every channel.
struct Source {
    PcmFormat format;
    double phase = 0;

    // Feeds `seconds` of audio in 10 ms buffers; returns the first unexpected stop.
    std::optional<UnexpectedStop> feed(RecorderCore& recorder, double seconds, double amplitude = 0.5)
    {
        const int frames = format.sampleRate / 100;
        const int buffers = int(std::lround(seconds * 100));
        const std::size_t bytes = format.sampleType == SampleType::int16 ? 2 : 4;
        std::vector<std::uint8_t> data(std::size_t(frames * format.channels) * bytes);
        for (int b = 0; b < buffers; ++b) {
            for (int f = 0; f < frames; ++f, phase += 2 * M_PI * 440.0 / format.sampleRate) {
                const double v = amplitude * std::sin(phase);
                for (int c = 0; c < format.channels; ++c) {
                    const std::size_t index = format.interleaved ? std::size_t(f * format.channels + c)
                                                                 : std::size_t(c * frames + f);
                    if (format.sampleType == SampleType::float32) {
                        const float x = float(v);
                        std::memcpy(&data[index * 4], &x, 4);
                    } else if (format.sampleType == SampleType::int16) {
                        const std::int16_t x = std::int16_t(std::lround(v * 32767));
                        std::memcpy(&data[index * 2], &x, 2);
                    } else {
                        const std::int32_t x = std::int32_t(std::llround(v * 2147483647.0));
                        std::memcpy(&data[index * 4], &x, 4);
                    }
                }
            }
            std::vector<const void*> planes;
            for (int c = 0; c < (format.interleaved ? 1 : format.channels); ++c)
                planes.push_back(data.data() + std::size_t(c * frames) * bytes);
            if (auto stop = recorder.handleBuffer({format, std::size_t(frames), planes.data()}))
                return stop;
        }
        return std::nullopt;
    }
};

class RecorderTest : public ::testing::Test {
protected:
    FakeSession session;
    SinkLog sink;
    RecorderCore recorder{session, [this](const fs::path& path) -> Result<std::unique_ptr<RecordingSink>, AudioWriteError> {
                              if (sink.failCreate)
                                  return Failure{AudioWriteError{"Sem permissão para gravar."}};
                              sink.opened.push_back(path);
                              return std::unique_ptr<RecordingSink>(new FakeSink(sink));
                          }};
    Source mono48{{SampleType::float32, 48000, 1, true}};
};

float levelOf(const std::vector<float>& samples, int channels = 1)
{
    const void* plane = samples.data();
    return level({{SampleType::float32, 48000, channels, true}, samples.size() / std::size_t(channels), &plane});
}

} // namespace

TEST(MicrophoneTest, ShortName)
{
    EXPECT_EQ((Microphone{"a", "MacBook Pro Microphone"}.shortName()), "MacBook");
    EXPECT_EQ((Microphone{"a", "AirPods Pro"}.shortName()), "AirPods");
    EXPECT_EQ((Microphone{"a", "Superlongwordxy"}.shortName()), "Superlongwor");
    EXPECT_EQ((Microphone{"a", "Twelvecharsx mic"}.shortName()), "Twelvecharsx");
    EXPECT_EQ((Microphone{"a", "  Fone  de ouvido"}.shortName()), "Fone");
    EXPECT_EQ((Microphone{"a", "Áááááááááááááá"}.shortName()), "Áááááááááááá"); // characters, not bytes
    EXPECT_EQ((Microphone{"a", ""}.shortName()), "");
}

TEST(AudioLevelTest, ScalesDecibelsBetweenMinus50AndZero)
{
    EXPECT_EQ(levelOf(std::vector<float>(480, 0.0f)), 0.0f);
    std::vector<float> square(480), sine(4800), quiet(480, 0.003f);
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 10) % 2 ? 1.0f : -1.0f;
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = float(std::sin(2 * M_PI * double(i) / 48.0));
    EXPECT_FLOAT_EQ(levelOf(square), 1.0f);
    EXPECT_NEAR(levelOf(sine), 0.94, 0.001);
    EXPECT_EQ(levelOf(quiet), 0.0f); // about -50.5 dBFS
    EXPECT_EQ(levelOf({}), 0.0f);

    // Integer layouts are scaled to full scale; only the first channel counts.
    std::vector<std::int16_t> s16 = {32767, -32768, 32767, -32768};
    std::vector<std::int32_t> s32 = {0, INT32_MAX, 0, INT32_MIN, 0, INT32_MAX, 0, INT32_MIN};
    const void* p16 = s16.data();
    const void* p32 = s32.data();
    EXPECT_NEAR(level({{SampleType::int16, 16000, 1, true}, 4, &p16}), 1.0f, 1e-4);
    EXPECT_EQ(level({{SampleType::int32, 44100, 2, true}, 4, &p32}), 0.0f);
    std::vector<float> planar = {0, 0, 0, 0, 1, 1, 1, 1};
    const void* planes[2] = {planar.data(), planar.data() + 4};
    EXPECT_EQ(level({{SampleType::float32, 48000, 2, false}, 4, planes}), 0.0f);
}

TEST_F(RecorderTest, ConvertsEveryDeviceLayoutToFortyEightKilohertzMono)
{
    for (SampleType type : {SampleType::float32, SampleType::int16, SampleType::int32})
        for (int rate : {16000, 44100, 48000})
            for (int channels : {1, 2})
                for (bool interleaved : {true, false}) {
                    SCOPED_TRACE(std::to_string(int(type)) + "/" + std::to_string(rate) + "/"
                                 + std::to_string(channels) + (interleaved ? "i" : "p"));
                    sink.samples.clear();
                    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
                    Source source{{type, rate, channels, interleaved}};
                    ASSERT_FALSE(source.feed(recorder, 1.0));
                    // seconds count 48 kHz frames written, whatever the device rate
                    EXPECT_NEAR(recorder.seconds(), 1.0, 0.002);
                    EXPECT_EQ(recorder.framesWritten(), std::int64_t(sink.samples.size()));
                    EXPECT_NEAR(recorder.level(), (20 * std::log10(0.5 / std::sqrt(2.0)) + 50) / 50, 0.01);
                    double sum = 0;
                    for (std::size_t i = 4800; i < sink.samples.size(); ++i)
                        sum += double(sink.samples[i]) * sink.samples[i];
                    EXPECT_NEAR(std::sqrt(sum / double(sink.samples.size() - 4800)), 0.5 / std::sqrt(2.0), 0.01);
                    ASSERT_TRUE(recorder.stop().ok());
                }
}

TEST_F(RecorderTest, PauseExcludesAudioAndResumeContinuesTheCount)
{
    ASSERT_TRUE(recorder.start("usb-1", "/rec/a.m4a").ok());
    EXPECT_TRUE(session.running);
    EXPECT_EQ(session.attached, "usb-1");
    mono48.feed(recorder, 0.5);
    EXPECT_GT(recorder.level(), 0.5f);
    recorder.pause();
    EXPECT_EQ(recorder.level(), 0.0f);
    mono48.feed(recorder, 1.0);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.5);
    EXPECT_EQ(recorder.level(), 0.0f);
    recorder.resume();
    mono48.feed(recorder, 0.25);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.75);
    EXPECT_EQ(sink.samples.size(), 36000u);

    auto stopped = recorder.stop();
    ASSERT_TRUE(stopped.ok());
    EXPECT_EQ(stopped.value(), "/rec/a.m4a");
    EXPECT_FALSE(session.running);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.75); // still readable after stop
    EXPECT_EQ(recorder.level(), 0.0f);
    auto again = recorder.stop();
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().description, "Nada estava sendo gravado.");
    // Buffers arriving while idle go nowhere.
    mono48.feed(recorder, 0.1);
    EXPECT_EQ(sink.samples.size(), 36000u);
}

TEST_F(RecorderTest, StartingAgainClosesTheOpenFileAndRestartsTheCount)
{
    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
    mono48.feed(recorder, 0.3);
    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/b.m4a").ok());
    EXPECT_EQ(sink.closed, 1);
    EXPECT_EQ(recorder.seconds(), 0.0);
    mono48.feed(recorder, 0.2);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.2);
    EXPECT_EQ(recorder.stop().value(), "/rec/b.m4a");
    EXPECT_EQ(session.attachCount, 1); // same microphone: not re-attached
}

TEST_F(RecorderTest, StartFailures)
{
    // A microphone that no longer exists: the default one, without error.
    ASSERT_TRUE(recorder.start("gone", "/rec/a.m4a").ok());
    EXPECT_EQ(session.attached, "built-in");
    ASSERT_TRUE(recorder.stop().ok());

    session.refuse = "usb-1";
    auto refused = recorder.start("usb-1", "/rec/b.m4a");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().description, "Não consegui usar o microfone USB Headset Mic.");
    EXPECT_FALSE(recorder.isRecording());

    session.attachFailure = RecorderError::system("Dispositivo ocupado.");
    auto busy = recorder.start("built-in", "/rec/b.m4a");
    EXPECT_TRUE(busy.ok()); // already attached: nothing to do
    ASSERT_TRUE(recorder.stop().ok());

    session.outputOK = false;
    EXPECT_EQ(recorder.start(std::nullopt, "/rec/c.m4a").error().description, "Nenhum microfone encontrado.");
    session.outputOK = true;

    sink.failCreate = true;
    EXPECT_EQ(recorder.start(std::nullopt, "/rec/d.m4a").error().description, "Sem permissão para gravar.");
    EXPECT_EQ(recorder.stop().error().kind, RecorderError::Kind::notRecording);
    sink.failCreate = false;

    session.devices.clear();
    EXPECT_EQ(recorder.start(std::nullopt, "/rec/e.m4a").error().description, "Nenhum microfone encontrado.");
}

TEST_F(RecorderTest, SwitchingMicrophoneKeepsTheFileAndRebuildsTheConverter)
{
    ASSERT_TRUE(recorder.start("built-in", "/rec/a.m4a").ok());
    mono48.feed(recorder, 0.5);
    recorder.switchMicrophone(std::string("usb-1"));
    EXPECT_EQ(session.attached, "usb-1");
    Source headset{{SampleType::int16, 44100, 2, true}};
    headset.feed(recorder, 0.5);
    EXPECT_NEAR(recorder.seconds(), 1.0, 0.002);
    EXPECT_EQ(sink.opened.size(), 1u);

    // A switch that fails is logged and falls back to the default microphone.
    std::vector<std::string> lines;
    media::setLogHandler([&](const std::string& line) { lines.push_back(line); });
    session.refuse = "usb-1";
    session.attached = "usb-1";
    recorder.switchMicrophone(std::string("built-in"));
    EXPECT_EQ(session.attached, "built-in");
    recorder.switchMicrophone(std::string("usb-1"));
    media::setLogHandler(nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "[Quaro] troca de microfone: Não consegui usar o microfone USB Headset Mic.");
    EXPECT_EQ(session.attached, "built-in");
    EXPECT_TRUE(recorder.isRecording());
}

TEST_F(RecorderTest, LosingTheAttachedMicrophoneFallsBackToTheDefault)
{
    ASSERT_TRUE(recorder.start("usb-1", "/rec/a.m4a").ok());
    const int attaches = session.attachCount;
    recorder.deviceDisconnected("something-else");
    EXPECT_EQ(session.attachCount, attaches);
    session.devices.erase(session.devices.begin() + 1);
    recorder.deviceDisconnected("usb-1");
    EXPECT_EQ(session.attached, "built-in");
    mono48.feed(recorder, 0.2);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.2);
}

TEST_F(RecorderTest, UnusableFormatIsDroppedUntilTheFormatChanges)
{
    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
    Source broken{{SampleType::float32, 0, 1, true}};
    std::vector<float> silence(480, 0.5f);
    const void* plane = silence.data();
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(recorder.handleBuffer({broken.format, 480, &plane}));
    EXPECT_EQ(recorder.seconds(), 0.0);
    EXPECT_TRUE(sink.samples.empty());
    mono48.feed(recorder, 0.1);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.1);
}

TEST_F(RecorderTest, WriteFailureStopsTheRecordingAndReportsIt)
{
    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
    mono48.feed(recorder, 0.2);
    sink.failWrites = true;
    auto stop = mono48.feed(recorder, 0.2);
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->file, "/rec/a.m4a");
    ASSERT_TRUE(stop->error);
    EXPECT_EQ(stop->error->description, "Disco cheio.");
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(session.running);
    EXPECT_EQ(recorder.stop().error().kind, RecorderError::Kind::notRecording);
}

TEST(RecorderFileTest, RecordsARealAacFileOfTheCountedLength)
{
    TempDir dir;
    FakeSession session;
    RecorderCore recorder(session);
    ASSERT_TRUE(recorder.start(std::nullopt, dir / "REC.m4a").ok());
    Source device{{SampleType::int16, 44100, 2, true}};
    device.feed(recorder, 2.0);
    auto file = recorder.stop();
    ASSERT_TRUE(file.ok()) << file.error().description;
    std::size_t decoded = 0;
    ASSERT_TRUE(decodeAudio(file.value(), 48000, [&](const float*, std::size_t n) { decoded += n; }).ok());
    EXPECT_NEAR(double(decoded) / 48000.0, recorder.seconds(), 0.03);
    EXPECT_NEAR(recorder.seconds(), 2.0, 0.002);

    // A file that cannot be created comes back with its own text.
    auto blocked = recorder.start(std::nullopt, dir / "nope" / "X.m4a");
    ASSERT_FALSE(blocked.ok());
    EXPECT_NE(blocked.error().description.find("X.m4a"), std::string::npos);
}
