#include "media/Fixtures.h"

#include "app/Recorder.h"
#include "media/AudioDecode.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

// A PulseAudio server of this test process alone: private runtime folder,
// a null sink, and a pipe source "vmic" (16 kHz mono) as the default
// microphone. Started before Qt looks for devices, stopped by its PID.
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

        const std::string log = "--log-target=file:" + (dir / "pa.log").string();
        const std::string pipe = "module-pipe-source source_name=vmic file=" + (dir / "vmic.fifo").string()
            + " format=s16le rate=16000 channels=1";
        std::vector<std::string> args = {"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", log,
                                         "--load=module-native-protocol-unix auth-anonymous=1",
                                         "--load=module-null-sink sink_name=vsink rate=48000 channels=1",
                                         "--load=" + pipe};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid, "pulseaudio", nullptr, nullptr, argv.data(), environ) != 0)
            return false;
        for (int i = 0; i < 200; ++i) {
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
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    // Loads another pipe source; returns the module index.
    int addPipeSource(const std::string& name, int rate, int channels)
    {
        const std::string out = capture("pactl load-module module-pipe-source source_name=" + name + " file="
                                        + (dir / (name + ".fifo")).string() + " format=s16le rate="
                                        + std::to_string(rate) + " channels=" + std::to_string(channels));
        return out.empty() ? -1 : std::stoi(out);
    }
};

PulseServer* g_pulse = nullptr;

class PulseEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        g_pulse = new PulseServer;
        ASSERT_TRUE(g_pulse->start()) << "PulseAudio did not start";
    }
    void TearDown() override
    {
        delete g_pulse;
        g_pulse = nullptr;
    }
};

// Writes raw s16 audio into a pipe source at the pace of real time.
class Feeder {
public:
    Feeder(fs::path fifo, std::vector<std::uint8_t> pcm, int bytesPerSecond)
        : m_thread([fifo = std::move(fifo), pcm = std::move(pcm), bytesPerSecond, this] {
              const int fd = ::open(fifo.c_str(), O_WRONLY);
              if (fd < 0)
                  return;
              const std::size_t chunk = std::size_t(bytesPerSecond / 50); // 20 ms
              auto next = std::chrono::steady_clock::now();
              for (std::size_t at = 0; at < pcm.size() && !m_cancel; at += chunk) {
                  const std::size_t n = std::min(chunk, pcm.size() - at);
                  if (::write(fd, pcm.data() + at, n) != ssize_t(n))
                      break;
                  next += std::chrono::milliseconds(20);
                  std::this_thread::sleep_until(next);
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
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

bool waitFor(const std::function<bool()>& condition, int milliseconds = 15000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

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

struct Started {
    bool done = false;
    std::optional<RecorderError> error;
    Recorder::StartCompletion callback()
    {
        return [this](Result<void, RecorderError> result) {
            done = true;
            if (!result)
                error = result.error();
            EXPECT_TRUE(QThread::currentThread() == QCoreApplication::instance()->thread());
        };
    }
};

struct Stopped {
    bool done = false;
    std::optional<fs::path> file;
    std::optional<RecorderError> error;
    Recorder::StopCompletion callback()
    {
        return [this](Result<fs::path, RecorderError> result) {
            done = true;
            if (result)
                file = result.value();
            else
                error = result.error();
        };
    }
};

} // namespace

TEST(QtRecorderTest, RecordsSpeechFromThePipeSourceAtItsLength)
{
    TempDir out;
    const auto pcm = speech(out, 16000, 1);
    const double fed = double(pcm.size()) / 32000.0;
    ASSERT_TRUE(waitFor([] { return hasMicrophone("vmic"); }));

    Recorder recorder;
    Started started;
    recorder.start(std::string("vmic"), out / "REC.m4a", started.callback());
    ASSERT_TRUE(waitFor([&] { return started.done; }));
    ASSERT_FALSE(started.error) << started.error->description;

    float loudest = 0;
    {
        Feeder feeder(g_pulse->dir / "vmic.fifo", pcm, 32000);
        ASSERT_TRUE(waitFor([&] {
            loudest = std::max(loudest, recorder.level());
            return feeder.done() && recorder.seconds() > fed - 0.15;
        }));
    }
    EXPECT_GT(loudest, 0.3f);

    Stopped stopped;
    recorder.stop(stopped.callback());
    ASSERT_TRUE(waitFor([&] { return stopped.done; }));
    ASSERT_TRUE(stopped.file) << stopped.error->description;
    EXPECT_EQ(*stopped.file, out / "REC.m4a");
    EXPECT_NEAR(recorder.seconds(), fed, 0.15);
    EXPECT_NEAR(decodedSeconds(*stopped.file), recorder.seconds(), 0.03);

    Stopped again;
    recorder.stop(again.callback());
    ASSERT_TRUE(waitFor([&] { return again.done; }));
    ASSERT_TRUE(again.error);
    EXPECT_EQ(again.error->description, "Nada estava sendo gravado.");
}

TEST(QtRecorderTest, FallsBackToTheDefaultMicrophoneWhenItsDeviceIsUnplugged)
{
    TempDir out;
    const int module = g_pulse->addPipeSource("vmic2", 44100, 2);
    ASSERT_GE(module, 0);
    ASSERT_TRUE(waitFor([] { return hasMicrophone("vmic2"); }));

    Recorder recorder;
    Started started;
    recorder.start(std::string("vmic2"), out / "REC.m4a", started.callback());
    ASSERT_TRUE(waitFor([&] { return started.done; }));
    ASSERT_FALSE(started.error) << started.error->description;

    const auto stereo = speech(out, 44100, 2);
    double beforeUnplug = 0;
    {
        Feeder feeder(g_pulse->dir / "vmic2.fifo", stereo, 44100 * 4);
        ASSERT_TRUE(waitFor([&] { return recorder.seconds() > 1.0; }));
        ASSERT_TRUE(sh("pactl unload-module " + std::to_string(module)));
        ASSERT_TRUE(waitFor([] { return !hasMicrophone("vmic2"); }));
        beforeUnplug = recorder.seconds();
    }

    // The recording goes on from the default microphone, in the same file.
    const auto mono = speech(out, 16000, 1);
    {
        Feeder feeder(g_pulse->dir / "vmic.fifo", mono, 32000);
        ASSERT_TRUE(waitFor([&] { return feeder.done() && recorder.seconds() > beforeUnplug + 1.5; }));
    }
    Stopped stopped;
    recorder.stop(stopped.callback());
    ASSERT_TRUE(waitFor([&] { return stopped.done; }));
    ASSERT_TRUE(stopped.file) << stopped.error->description;
    EXPECT_NEAR(decodedSeconds(*stopped.file), recorder.seconds(), 0.03);
}

TEST(QtRecorderTest, MissingMicrophoneStartsOnTheDefaultAndPauseHoldsTheCount)
{
    TempDir out;
    Recorder recorder;
    bool unexpected = false;
    recorder.onUnexpectedStop = [&](fs::path, std::optional<RecorderError>) { unexpected = true; };
    Started started;
    recorder.start(std::string("nao-existe"), out / "REC.m4a", started.callback());
    ASSERT_TRUE(waitFor([&] { return started.done; }));
    ASSERT_FALSE(started.error) << started.error->description;

    const auto pcm = speech(out, 16000, 1);
    {
        Feeder feeder(g_pulse->dir / "vmic.fifo", pcm, 32000);
        ASSERT_TRUE(waitFor([&] { return recorder.seconds() > 0.5; }));
        recorder.pause();
        ASSERT_TRUE(waitFor([&] { return recorder.level() == 0.0f; }));
        const double held = recorder.seconds();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        QCoreApplication::processEvents();
        EXPECT_LT(recorder.seconds() - held, 0.1);
        recorder.resume();
        ASSERT_TRUE(waitFor([&] { return feeder.done(); }));
    }
    Stopped stopped;
    recorder.stop(stopped.callback());
    ASSERT_TRUE(waitFor([&] { return stopped.done; }));
    ASSERT_TRUE(stopped.file);
    EXPECT_LT(recorder.seconds(), double(pcm.size()) / 32000.0 - 0.2); // the pause is not in the file
    EXPECT_FALSE(unexpected);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PulseEnvironment);
    // Qt is brought up lazily by the tests, after the server is running.
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
