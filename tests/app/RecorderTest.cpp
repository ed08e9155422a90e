// The Qt Multimedia microphone backend against a PulseAudio server of this
// test process alone, with pipe sources standing in for microphones.
#include "media/Fixtures.h"
#include "support/QtSupport.h"

#include "app/audio/QtCaptureSession.h"
#include "app/audio/Recorder.h"
#include "app/audio/SoundServer.h"
#include "media/AudioDecode.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

// Private runtime folder, a null sink, and the pipe source "vmic" (16 kHz
// mono) as the default microphone. Started before Qt looks for devices; it
// dies with the test process and never holds ctest's output pipe open.
class PulseServer {
public:
    TempDir dir;

    bool start()
    {
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("HOME", dir.path().c_str(), 1);
        writeBytes(dir / "client.conf", {'a', 'u', 't', 'o', 's', 'p', 'a', 'w', 'n', '=', 'n', 'o', '\n'});
        setenv("PULSE_CLIENTCONFIG", (dir / "client.conf").c_str(), 1);
        fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::replace);
        m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("pulseaudio"),
                        {"--daemonize=no", "--exit-idle-time=-1", "-n",
                         QString::fromStdString("--log-target=file:" + (dir / "pa.log").string()),
                         "--load=module-native-protocol-unix auth-anonymous=1",
                         "--load=module-null-sink sink_name=vsink rate=48000 channels=1",
                         QString::fromStdString("--load=" + pipeSource("vmic", 16000, 1))});
        const bool up = waitFor([&] {
            return m_process.state() == QProcess::NotRunning || (fs::exists(dir / "pulse" / "native") && sh("pactl info"));
        });
        return up && m_process.state() == QProcess::Running && sh("pactl set-default-source vmic");
    }
    ~PulseServer()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    std::string pipeSource(const std::string& name, int rate, int channels) const
    {
        return "module-pipe-source source_name=" + name + " file=" + (dir / (name + ".fifo")).string()
            + " format=s16le rate=" + std::to_string(rate) + " channels=" + std::to_string(channels);
    }
    int addPipeSource(const std::string& name, int rate, int channels)
    {
        const std::string out = capture("pactl load-module " + pipeSource(name, rate, channels));
        return out.empty() ? -1 : std::stoi(out);
    }

private:
    QProcess m_process;
};

PulseServer* g_pulse = nullptr;

class PulseEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        g_pulse = new PulseServer;
        ASSERT_TRUE(g_pulse->start()) << "PulseAudio did not start";
    }
    void TearDown() override { delete std::exchange(g_pulse, nullptr); }
};

// Plays raw s16 audio into a pipe source at the pace of real time, until
// it goes out of scope.
class Feeder : public QProcess {
public:
    Feeder(const std::string& source, const fs::path& raw, int rate, int channels)
    {
        start("ffmpeg", {"-nostdin", "-loglevel", "quiet", "-re", "-f", "s16le", "-ar", QString::number(rate), "-ac",
                         QString::number(channels), "-i", QString::fromStdString(raw.string()), "-f", "s16le",
                         "-flush_packets", "1", "-y", QString::fromStdString((g_pulse->dir / (source + ".fifo")).string())});
    }
    bool done() const { return state() == QProcess::NotRunning; }
};

// Spoken Portuguese with half a second of silence either side, as raw s16.
fs::path speech(const TempDir& dir, int rate, int channels)
{
    const auto wav = dir / "fala.wav";
    const auto raw = dir / ("fala-" + std::to_string(rate) + ".raw");
    EXPECT_TRUE(sh("espeak-ng -v pt-br -w " + quote(wav) + " 'isso é pro Roadmap: revisar metas'"));
    EXPECT_TRUE(sh("sox " + quote(wav) + " -t raw -r " + std::to_string(rate) + " -c " + std::to_string(channels)
                   + " -e signed -b 16 " + quote(raw) + " pad 0.5 0.5"));
    return raw;
}

double decodedSeconds(const fs::path& file)
{
    std::size_t frames = 0;
    EXPECT_TRUE(decodeAudio(file, 48000, [&](const float*, std::size_t n) { frames += n; }).ok());
    return double(frames) / 48000.0;
}

// Starts the recorder and waits for its answer, which comes through the
// event loop of the thread that created it.
std::optional<RecorderError> start(Recorder& recorder, std::string microphone, const fs::path& file)
{
    std::optional<Result<void, RecorderError>> done;
    recorder.start(std::move(microphone), file, [&](Result<void, RecorderError> result) {
        EXPECT_TRUE(onMainThread());
        done = std::move(result);
    });
    EXPECT_TRUE(waitFor([&] { return done.has_value(); }));
    return done && !*done ? std::optional(done->error()) : std::nullopt;
}

bool hasMicrophone(const std::string& id)
{
    return std::ranges::any_of(Recorder::microphones(), [&](const Microphone& m) { return m.id == id; });
}

} // namespace

TEST(QtRecorderTest, RecordsOneFileThroughSwitchAndUnplug)
{
    TempDir out;
    const auto mono = speech(out, 16000, 1);
    const double fed = double(fs::file_size(mono)) / 32000.0;
    Recorder recorder;
    bool unexpected = false;
    recorder.onUnexpectedStop = [&](fs::path, std::optional<RecorderError>) { unexpected = true; };
    // A microphone that is gone starts on the default one.
    const auto error = start(recorder, std::string("nao-existe"), out / "REC.m4a");
    ASSERT_FALSE(error) << error->description();
    float loudest = 0;
    {
        Feeder feeder("vmic", mono, 16000, 1);
        ASSERT_TRUE(waitFor([&] {
            loudest = std::max(loudest, recorder.level());
            return feeder.done() && recorder.seconds() > fed - 0.15;
        }));
    }
    EXPECT_GT(loudest, 0.3f);
    EXPECT_NEAR(recorder.seconds(), fed, 0.15);

    // Switched to a device with another layout, which is then unplugged:
    // the recording goes on from the default microphone.
    const int module = g_pulse->addPipeSource("vmic2", 44100, 2);
    ASSERT_GE(module, 0);
    ASSERT_TRUE(waitFor([] { return hasMicrophone("vmic2"); }));
    recorder.switchMicrophone(std::string("vmic2"));
    const double switched = recorder.seconds();
    {
        Feeder feeder("vmic2", speech(out, 44100, 2), 44100, 2);
        ASSERT_TRUE(waitFor([&] { return recorder.seconds() > switched + 1.0; }));
        ASSERT_TRUE(sh("pactl unload-module " + std::to_string(module)));
        ASSERT_TRUE(waitFor([] { return !hasMicrophone("vmic2"); }));
    }
    const double unplugged = recorder.seconds();
    {
        Feeder feeder("vmic", mono, 16000, 1);
        ASSERT_TRUE(waitFor([&] { return feeder.done() && recorder.seconds() > unplugged + fed - 0.15; }));
    }
    std::optional<Result<fs::path, RecorderError>> file;
    recorder.stop([&](Result<fs::path, RecorderError> result) { file = std::move(result); });
    ASSERT_TRUE(waitFor([&] { return file.has_value(); }));
    ASSERT_TRUE(file->ok()) << file->error().description();
    EXPECT_EQ(file->value(), out / "REC.m4a");
    EXPECT_NEAR(decodedSeconds(file->value()), recorder.seconds(), 0.03);
    EXPECT_FALSE(unexpected);
}

// The default input is the server's, at once, and a change of it is heard:
// Qt's own default can lag behind.
TEST(QtRecorderTest, TheDefaultIsTheServersAndItsChangeIsHeard)
{
    SoundServerWatch watch;
    int changed = 0;
    QObject::connect(&watch, &SoundServerWatch::changed, [&] { ++changed; });
    const int module = g_pulse->addPipeSource("vmic3", 16000, 1);
    ASSERT_GE(module, 0);
    ASSERT_TRUE(waitFor([] { return hasMicrophone("vmic3"); }));
    changed = 0;
    ASSERT_TRUE(sh("pactl set-default-source vmic3"));
    EXPECT_TRUE(waitFor([&] { return changed > 0; }));
    EXPECT_EQ(SoundServer::defaultSourceName(), "vmic3");
    QtCaptureSession session;
    EXPECT_EQ(session.defaultDevice().value_or(Microphone{}).id, "vmic3");
    EXPECT_TRUE(sh("pactl set-default-source vmic && pactl unload-module " + std::to_string(module)));
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PulseEnvironment);
    // Qt is brought up lazily by the tests, after the server is running.
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
