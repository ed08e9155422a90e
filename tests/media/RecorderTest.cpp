#include "Fixtures.h"

#include "media/RecorderCore.h"

#include <cmath>
#include <fstream>

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

// The capture side of the platform: a list of devices, one attached input.
class FakeSession : public CaptureSession {
public:
    std::vector<Microphone> devices = {{"built-in", "Microfone Interno"}, {"usb-1", "USB Headset Mic"}};
    std::optional<std::string> attached;
    std::string refuse;                         // a device id that always fails
    bool outputOK = true, running = false, startFails = false;
    int attachCount = 0;

    std::optional<Microphone> device(const std::string& id) override
    {
        for (const auto& d : devices)
            if (d.id == id)
                return d;
        return std::nullopt;
    }
    std::optional<Microphone> defaultDevice() override { return device("built-in"); }
    Result<void, RecorderError> attach(const Microphone& m) override
    {
        ++attachCount;
        if (m.id == refuse)
            return Failure{RecorderError::cannotUseMicrophone(m.name)};
        attached = m.id;
        return {};
    }
    bool prepareOutput() override { return outputOK; }
    bool isRunning() const override { return running; }
    void startRunning() override { running = !startFails; }
    void stopRunning() override { running = false; }
};

// The file edge: keeps what would be written, can be told to fail.
struct Written {
    std::vector<fs::path> opened;
    std::vector<float> samples;
    int closed = 0;
    bool failWrites = false, failCreate = false, failClose = false;

    RecordingSinkFactory factory()
    {
        struct Sink : RecordingSink {
            Written& out;
            explicit Sink(Written& w) : out(w) {}
            Result<void, AudioWriteError> write(const float* s, std::size_t n) override
            {
                if (out.failWrites)
                    return Failure{AudioWriteError{"Disco cheio."}};
                out.samples.insert(out.samples.end(), s, s + n);
                return {};
            }
            Result<void, AudioWriteError> close() override
            {
                ++out.closed;
                if (out.failClose)
                    return Failure{AudioWriteError{"Disco cheio."}};
                return {};
            }
        };
        return [this](const fs::path& path) -> Result<std::unique_ptr<RecordingSink>, AudioWriteError> {
            if (failCreate)
                return Failure{AudioWriteError{"Sem permissão para gravar."}};
            opened.push_back(path);
            std::ofstream{path}; // a real file where the folder exists, as the encoder makes one
            return std::unique_ptr<RecordingSink>(new Sink(*this));
        };
    }
};

template <typename T>
void put(std::vector<std::uint8_t>& data, std::size_t index, T value)
{
    std::memcpy(&data[index * sizeof(T)], &value, sizeof(T));
}

// Buffers of any capture layout: a 440 Hz sine at `amplitude` on every channel.
struct Source {
    PcmFormat format;
    double phase = 0;

    // Feeds `seconds` of audio in 10 ms buffers; returns the first unexpected stop.
    std::optional<UnexpectedStop> feed(RecorderCore& recorder, double seconds, double amplitude = 0.5)
    {
        const int frames = format.sampleRate / 100;
        const std::size_t bytes = format.sampleType == SampleType::int16 ? 2 : 4;
        std::vector<std::uint8_t> data(std::size_t(frames * format.channels) * bytes);
        for (int b = 0; b < int(std::lround(seconds * 100)); ++b) {
            for (int f = 0; f < frames; ++f, phase += 2 * M_PI * 440.0 / format.sampleRate) {
                const double v = amplitude * std::sin(phase);
                for (int c = 0; c < format.channels; ++c) {
                    const std::size_t i = std::size_t(format.interleaved ? f * format.channels + c : c * frames + f);
                    if (format.sampleType == SampleType::float32)
                        put(data, i, float(v));
                    else if (format.sampleType == SampleType::int16)
                        put(data, i, std::int16_t(std::lround(v * 32767)));
                    else
                        put(data, i, std::int32_t(std::llround(v * 2147483647.0)));
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
    Written written;
    RecorderCore recorder{session, written.factory()};
    Source mono48{{SampleType::float32, 48000, 1, true}};
};

} // namespace

TEST_F(RecorderTest, ConvertsEveryDeviceLayoutToFortyEightKilohertzMono)
{
    for (SampleType type : {SampleType::float32, SampleType::int16, SampleType::int32})
        for (int rate : {16000, 44100, 48000})
            for (int channels : {1, 2})
                for (bool interleaved : {true, false}) {
                    SCOPED_TRACE(std::to_string(int(type)) + "/" + std::to_string(rate) + "/"
                                 + std::to_string(channels) + (interleaved ? "i" : "p"));
                    written.samples.clear();
                    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
                    Source source{{type, rate, channels, interleaved}};
                    ASSERT_FALSE(source.feed(recorder, 1.0));
                    // Seconds count the 48 kHz frames written, whatever the device rate.
                    EXPECT_NEAR(recorder.seconds(), 1.0, 0.002);
                    EXPECT_EQ(recorder.framesWritten(), std::int64_t(written.samples.size()));
                    EXPECT_NEAR(recorder.level(), (20 * std::log10(0.5 / std::sqrt(2.0)) + 50) / 50, 0.01);
                    double sum = 0;
                    for (std::size_t i = 4800; i < written.samples.size(); ++i)
                        sum += double(written.samples[i]) * written.samples[i];
                    EXPECT_NEAR(std::sqrt(sum / double(written.samples.size() - 4800)), 0.5 / std::sqrt(2.0), 0.01);
                    ASSERT_TRUE(recorder.stop().ok());
                }
}

TEST_F(RecorderTest, PauseExcludesAudioAndStartingAgainClosesTheOpenFile)
{
    ASSERT_TRUE(recorder.start("usb-1", "/rec/a.m4a").ok());
    EXPECT_TRUE(session.running);
    EXPECT_EQ(session.attached, "usb-1");
    mono48.feed(recorder, 0.5);
    recorder.pause();
    EXPECT_EQ(recorder.level(), 0.0f);
    mono48.feed(recorder, 1.0);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.5);
    recorder.resume();
    mono48.feed(recorder, 0.25);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.75);
    EXPECT_EQ(written.samples.size(), 36000u);

    ASSERT_TRUE(recorder.start("usb-1", "/rec/b.m4a").ok());
    EXPECT_EQ(written.closed, 1);
    EXPECT_EQ(recorder.seconds(), 0.0);
    EXPECT_EQ(session.attachCount, 1); // same microphone: not attached again
    mono48.feed(recorder, 0.2);
    EXPECT_EQ(recorder.stop().value(), "/rec/b.m4a");
    EXPECT_FALSE(session.running);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.2); // still readable after stop
    EXPECT_EQ(recorder.stop().error().description(), "Nada estava sendo gravado.");
    mono48.feed(recorder, 0.1); // buffers arriving while idle go nowhere
    EXPECT_EQ(written.samples.size(), 36000u + 9600u);
}

TEST_F(RecorderTest, StartAndCloseFailuresLeaveNothingRecordingAndNoFile)
{
    TempDir dir;
    const fs::path file = dir / "a.m4a";
    const auto refused = [&](const std::optional<std::string>& microphone, const std::string& text) {
        auto started = recorder.start(microphone, file);
        ASSERT_FALSE(started.ok());
        EXPECT_EQ(started.error().description(), text);
        EXPECT_FALSE(recorder.isRecording());
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(recorder.stop().error().kind, RecorderError::Kind::notRecording);
        session = FakeSession{};
        written.failCreate = false;
    };
    session.refuse = "usb-1";
    refused("usb-1", "Não consegui usar o microfone USB Headset Mic.");
    session.outputOK = false;
    refused(std::nullopt, "Nenhum microfone encontrado.");
    written.failCreate = true;
    refused(std::nullopt, "Sem permissão para gravar.");
    session.startFails = true; // attached but not delivering: a failure, not a silent file
    refused(std::nullopt, "Não consegui usar o microfone Microfone Interno.");

    // A file whose close fails goes too.
    ASSERT_TRUE(recorder.start(std::nullopt, file).ok());
    ASSERT_TRUE(fs::exists(file));
    written.failClose = true;
    EXPECT_EQ(recorder.stop().error().description(), "Disco cheio.");
    EXPECT_FALSE(fs::exists(file));
}

// Quitting while recording: what was heard is kept as a file that plays.
TEST(RecorderCoreTest, ARecorderDestroyedMidRecordingLeavesAPlayableFile)
{
    TempDir dir;
    FakeSession session;
    Source source{{SampleType::int16, 44100, 2, true}};
    {
        RecorderCore recorder{session};
        ASSERT_TRUE(recorder.start(std::nullopt, dir / "a.m4a").ok());
        source.feed(recorder, 1.0);
    }
    EXPECT_NEAR(double(decodeAll(dir / "a.m4a").size()) / 48000.0, 1.0, 0.05);
}

// A full disk mid-recording: the recording stops and says why, naming its file.
TEST_F(RecorderTest, WriteFailureStopsTheRecordingAndReportsIt)
{
    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
    mono48.feed(recorder, 0.2);
    written.failWrites = true;
    auto stop = mono48.feed(recorder, 0.2);
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->file, "/rec/a.m4a");
    ASSERT_TRUE(stop->error);
    EXPECT_EQ(stop->error->description(), "Disco cheio.");
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(session.running);
}

// Switching to a device of another layout and unplugging it are the sound
// server's test in tests/app; these are the cases it cannot stage.
TEST_F(RecorderTest, OnlyTheAttachedDevicesLossMattersAndAFailedSwitchLandsOnTheDefault)
{
    ASSERT_TRUE(recorder.start("built-in", "/rec/a.m4a").ok());
    mono48.feed(recorder, 0.5);
    recorder.deviceDisconnected("something-else");
    EXPECT_EQ(session.attachCount, 1);

    session.refuse = "usb-1";
    LogCapture log;
    recorder.switchMicrophone(std::string("usb-1"));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"[Quaro] troca de microfone: Não consegui usar o microfone USB Headset Mic."});
    EXPECT_EQ(session.attached, "built-in");
    EXPECT_TRUE(recorder.isRecording());
    mono48.feed(recorder, 0.2);
    EXPECT_NEAR(recorder.seconds(), 0.7, 0.002);
    EXPECT_EQ(written.opened.size(), 1u);
}

TEST_F(RecorderTest, UnusableFormatIsDroppedUntilTheFormatChanges)
{
    ASSERT_TRUE(recorder.start(std::nullopt, "/rec/a.m4a").ok());
    std::vector<float> samples(480, 0.5f);
    const void* plane = samples.data();
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(recorder.handleBuffer({{SampleType::float32, 0, 1, true}, 480, &plane}));
    EXPECT_TRUE(written.samples.empty());
    mono48.feed(recorder, 0.1);
    EXPECT_DOUBLE_EQ(recorder.seconds(), 0.1);
}
