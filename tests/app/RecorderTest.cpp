// The Qt Multimedia microphone backend against a PulseAudio server of this
// test process alone, with pipe sources standing in for microphones.
#include "TestSupport.h"

#include "media/AudioDecode.h"
#include "support/FileSizeLimit.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

// Private runtime folder, a null sink, and the pipe source "vmic" (16 kHz
// mono) as the default microphone. Started before Qt looks for devices.
class PulseServer {
public:
    TempDir dir;
    pid_t pid = -1;

    bool start()
    {
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("HOME", dir.path().c_str(), 1);
        writeBytes(dir / "client.conf", {'a', 'u', 't', 'o', 's', 'p', 'a', 'w', 'n', '=', 'n', 'o', '\n'});
        setenv("PULSE_CLIENTCONFIG", (dir / "client.conf").c_str(), 1);
        fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::replace);
        std::vector<std::string> args = {
            "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
            "--log-target=file:" + (dir / "pa.log").string(), "--load=module-native-protocol-unix auth-anonymous=1",
            "--load=module-null-sink sink_name=vsink rate=48000 channels=1", "--load=" + pipeSource("vmic", 16000, 1)};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        pid = fork();
        if (pid == 0) {
            // Neither outlive a crashed test process nor hold ctest's output pipe open.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(1);
            const int null = ::open("/dev/null", O_RDWR);
            for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
                dup2(null, fd);
            execvp("pulseaudio", argv.data());
            _exit(127);
        }
        for (int i = 0; pid > 0 && i < 200; ++i) {
            if (fs::exists(dir / "pulse" / "native") && sh("pactl info"))
                return sh("pactl set-default-source vmic");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    ~PulseServer()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string pipeSource(const std::string& name, int rate, int channels) const
    {
        return "module-pipe-source source_name=" + name + " file=" + (dir / (name + ".fifo")).string()
            + " format=s16le rate=" + std::to_string(rate) + " channels=" + std::to_string(channels);
    }
    // Loads another pipe source; returns the module index.
    int addPipeSource(const std::string& name, int rate, int channels)
    {
        const std::string out = capture("pactl load-module " + pipeSource(name, rate, channels));
        return out.empty() ? -1 : std::stoi(out);
    }
};

PulseServer* g_pulse = nullptr;

class PulseEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        signal(SIGPIPE, SIG_IGN); // writing to an unloaded pipe source must fail, not kill
        g_pulse = new PulseServer;
        ASSERT_TRUE(g_pulse->start()) << "PulseAudio did not start";
    }
    void TearDown() override { delete std::exchange(g_pulse, nullptr); }
};

// Writes raw s16 audio into a pipe source at the pace of real time.
class Feeder {
public:
    Feeder(const std::string& source, std::vector<std::uint8_t> pcm, int bytesPerSecond)
        : m_thread([fifo = g_pulse->dir / (source + ".fifo"), pcm = std::move(pcm), bytesPerSecond, this] {
              const int fd = ::open(fifo.c_str(), O_WRONLY);
              const std::size_t chunk = std::size_t(bytesPerSecond / 50); // 20 ms
              auto next = std::chrono::steady_clock::now();
              for (std::size_t at = 0; fd >= 0 && at < pcm.size() && !m_cancel; at += chunk) {
                  const std::size_t n = std::min(chunk, pcm.size() - at);
                  if (::write(fd, pcm.data() + at, n) != ssize_t(n))
                      break;
                  std::this_thread::sleep_until(next += std::chrono::milliseconds(20));
              }
              ::close(fd);
              m_done = true;
          })
    {
    }
    ~Feeder()
    {
        m_cancel = true;
        m_thread.join();
    }
    bool done() const { return m_done; }

private:
    std::atomic<bool> m_cancel{false}, m_done{false};
    std::thread m_thread;
};

// A spoken sentence with half a second of silence around it, as raw s16.
std::vector<std::uint8_t> speech(const TempDir& dir, int rate, int channels)
{
    const auto wav = dir / "fala.wav";
    const auto raw = dir / ("fala-" + std::to_string(rate) + ".raw");
    EXPECT_TRUE(sh("espeak-ng -v pt-br -w " + quote(wav) + " 'isso é pro Roadmap: revisar metas'"));
    EXPECT_TRUE(sh("sox " + quote(wav) + " -t raw -r " + std::to_string(rate) + " -c " + std::to_string(channels)
                   + " -e signed -b 16 " + quote(raw) + " pad 0.5 0.5"));
    return readBytes(raw);
}

double decodedSeconds(const fs::path& file)
{
    std::size_t frames = 0;
    EXPECT_TRUE(decodeAudio(file, 48000, [&](const float*, std::size_t n) { frames += n; }).ok());
    return double(frames) / 48000.0;
}

bool hasMicrophone(const std::string& id)
{
    for (const auto& m : Recorder::microphones())
        if (m.id == id)
            return true;
    return false;
}

} // namespace

TEST(QtRecorderTest, RecordsOneFileThroughSwitchAndUnplug)
{
    TempDir out;
    const auto mono = speech(out, 16000, 1);
    const double fed = double(mono.size()) / 32000.0;
    Recorder recorder;
    bool unexpected = false;
    recorder.onUnexpectedStop = [&](fs::path, std::optional<RecorderError>) { unexpected = true; };
    // A microphone that is gone starts on the default one.
    const auto error = start(recorder, std::string("nao-existe"), out / "REC.m4a");
    ASSERT_FALSE(error) << error->description();
    float loudest = 0;
    {
        Feeder feeder("vmic", mono, 32000);
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
        Feeder feeder("vmic2", speech(out, 44100, 2), 44100 * 4);
        ASSERT_TRUE(waitFor([&] { return recorder.seconds() > switched + 1.0; }));
        ASSERT_TRUE(sh("pactl unload-module " + std::to_string(module)));
        ASSERT_TRUE(waitFor([] { return !hasMicrophone("vmic2"); }));
    }
    const double unplugged = recorder.seconds();
    {
        Feeder feeder("vmic", mono, 32000);
        ASSERT_TRUE(waitFor([&] { return feeder.done() && recorder.seconds() > unplugged + fed - 0.15; }));
    }
    const auto file = stop(recorder);
    ASSERT_TRUE(file.ok()) << file.error().description();
    EXPECT_EQ(file.value(), out / "REC.m4a");
    EXPECT_NEAR(decodedSeconds(file.value()), recorder.seconds(), 0.03);
    EXPECT_FALSE(unexpected);
}

TEST(QtRecorderTest, ReportsARecordingThatStoppedBecauseTheFileCouldNotBeWritten)
{
    TempDir out;
    ASSERT_TRUE(sh("sox -n -r 16000 -c 1 -e signed -b 16 " + quote(out / "tone.raw") + " synth 12 pinknoise vol 0.5"));
    Recorder recorder;
    std::optional<fs::path> stoppedFile;
    std::optional<RecorderError> stoppedError;
    bool onMain = false;
    recorder.onUnexpectedStop = [&](fs::path file, std::optional<RecorderError> error) {
        stoppedFile = file;
        stoppedError = error;
        onMain = onMainThread();
    };
    const auto error = start(recorder, std::string("vmic"), out / "REC.m4a");
    ASSERT_FALSE(error) << error->description();

    // A file-size limit stands in for a full disk: writes past 16 KiB fail.
    // It is set once the sound server's shared memory is in place.
    {
        const FileSizeLimit fullDisk(16 * 1024);
        ASSERT_TRUE(fullDisk.ok());
        Feeder feeder("vmic", readBytes(out / "tone.raw"), 32000);
        EXPECT_TRUE(waitFor([&] { return stoppedFile.has_value(); })) << recorder.seconds();
    }
    ASSERT_TRUE(stoppedFile);
    EXPECT_EQ(*stoppedFile, out / "REC.m4a");
    ASSERT_TRUE(stoppedError);
    EXPECT_NE(stoppedError->description().find("REC.m4a"), std::string::npos) << stoppedError->description();
    EXPECT_TRUE(onMain);
    EXPECT_LT(recorder.seconds(), 11.0);
    EXPECT_EQ(stop(recorder).error().description(), "Nada estava sendo gravado.");
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PulseEnvironment);
    // Qt is brought up lazily by the tests, after the server is running.
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
