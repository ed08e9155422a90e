// Second press to pendente for a 30-second note, with live transcription on
// and off (one pass over the file, as before), printed side by side; then the
// resident memory over 20 recordings in a row. Drives the real capture flow,
// transcription queue and store with whisper and a random-weight model of the
// multilingual "base" dimensions; the microphone is a fake that hands over
// PocketSphinx's test sentence (repeated, with pauses) at the pace of real
// time and writes it as a WAV file at the stop. Random weights never end a
// sentence, so the decoder is capped at 3 tokens per second of audio, about
// what speech yields. Asserts nothing. Usage: quaro_live_bench [runs]
#include "app/capture/CaptureFlow.h"
#include "app/capture/SpeechEngine.h"
#include "core/QuaroStore.h"

#include "RandomWhisperModel.h"
#include "speech/Transcriber.h"
#include "speech/WhisperModel.h"
#include "SpeechTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>

#include <sys/resource.h>
#include <cstdlib>

using namespace quaro;

namespace {

// whisper with the capped decoder; one model, shared, as the application's.
class CappedWhisperEngine : public SpeechEngine {
public:
    explicit CappedWhisperEngine(std::shared_ptr<WhisperModel> model) : m_model(std::move(model)) {}

    Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio, const std::string&) override
    {
        auto samples = m_decode(audio);
        if (!samples)
            return Failure{samples.error()};
        return whisper(*samples, false);
    }
    Result<std::string, TranscriberError> transcribeSamples(std::span<const float> samples,
                                                            const std::string&) override
    {
        return whisper(samples, true);
    }

private:
    Result<std::string, TranscriberError> whisper(std::span<const float> samples, bool stretch)
    {
        const int tokens = std::max(1, static_cast<int>(std::ceil(3.0 * double(samples.size()) / 16000.0)));
        return m_model->transcribe(samples, "en", WhisperOptions{0, false, tokens, stretch});
    }

    std::shared_ptr<WhisperModel> m_model;
    AudioDecoder m_decode = mediaAudioDecoder();
};

// A microphone that says `note` (48 kHz) in 100 ms blocks at real-time pace.
class PlayingDevice : public QObject, public CaptureDevice {
public:
    explicit PlayingDevice(std::vector<float> note) : m_note(std::move(note))
    {
        m_clock.setInterval(100);
        connect(&m_clock, &QTimer::timeout, this, [this] { tick(); });
    }
    std::vector<Microphone> microphones() override { return {{"bench", "Bench"}}; }
    void start(std::optional<std::string>, std::filesystem::path file, StartCompletion done) override
    {
        m_file = file;
        m_at = 0;
        m_clock.start();
        QTimer::singleShot(0, this, [done] { done({}); });
    }
    void stop(StopCompletion done) override
    {
        m_clock.stop();
        writeWav(*m_file, std::span(m_note).first(m_at));
        QTimer::singleShot(0, this, [done, file = *m_file] { done(file); });
    }
    void pause() override {}
    void resume() override {}
    void switchMicrophone(std::optional<std::string>) override {}
    void setSampleTap(SampleTap tap) override { m_tap = std::move(tap); }
    double seconds() const override { return double(m_at) / 48000.0; }
    float level() const override { return 0; }
    void setUnexpectedStopHandler(UnexpectedStopHandler) override {}
    void setMicrophonesChangedHandler(std::function<void()>) override {}
    bool said() const { return m_at >= m_note.size(); }
    void setNote(std::vector<float> note) { m_note = std::move(note); }

private:
    void tick()
    {
        const std::size_t count = std::min<std::size_t>(4800, m_note.size() - m_at);
        if (count > 0 && m_tap)
            m_tap(m_note.data() + m_at, count);
        m_at += count;
    }
    static void writeWav(const std::filesystem::path& path, std::span<const float> samples)
    {
        std::ofstream out(path, std::ios::binary);
        auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
        const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
        out.write("RIFF", 4), u32(36 + bytes), out.write("WAVEfmt ", 8), u32(16), u16(1), u16(1), u32(48000),
            u32(96000), u16(2), u16(16), out.write("data", 4), u32(bytes);
        for (float s : samples)
            u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767))));
    }

    std::vector<float> m_note;
    std::size_t m_at = 0;
    std::optional<std::filesystem::path> m_file;
    QTimer m_clock;
    SampleTap m_tap;
};

// The test sentence with 0.7 s pauses until `seconds`, at 48 kHz.
std::vector<float> note(double seconds)
{
    const auto sentence = quaro::testing::goForwardSamples();
    std::vector<float> at16;
    while (double(at16.size()) < seconds * 16000) {
        at16.insert(at16.end(), sentence.begin(), sentence.end());
        at16.insert(at16.end(), 11200, 0.0f);
    }
    at16.resize(static_cast<std::size_t>(seconds * 16000));
    std::vector<float> at48(at16.size() * 3);
    for (std::size_t i = 0; i < at48.size(); ++i) {
        const std::size_t j = i / 3;
        const float next = j + 1 < at16.size() ? at16[j + 1] : at16[j];
        at48[i] = at16[j] + (next - at16[j]) * float(i % 3) / 3.0f;
    }
    return at48;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Bench {
    QuaroStore& store;
    PlayingDevice& device;
    CaptureFlow* flow = nullptr;
    bool live = true;
    bool filed = false;

    // One recording: wall and CPU seconds from the second press to
    // pendente, and the stretches done before it.
    struct Figures {
        double wall;
        double cpu;
        int stretches;
    };
    Figures record()
    {
        filed = false;
        flow->startRecording();
        waitUntil([&] { return device.said(); });
        QElapsedTimer since;
        since.start();
        const double cpu = cpuSeconds();
        flow->stopAndSend();
        const int stretches = flow->liveStretches();
        waitUntil([&] { return filed; });
        return {double(since.nsecsElapsed()) / 1e9, cpuSeconds() - cpu, std::max(stretches, flow->liveStretches())};
    }

    static void waitUntil(const std::function<bool()>& done)
    {
        QEventLoop wait;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
            if (done())
                wait.quit();
        });
        poll.start();
        wait.exec();
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // 0 runs: only the 20 short recordings.
    const int runs = argc > 1 ? std::max(0, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    const auto modelPath = root / "ggml-base.bin";
    if (!quaro::testing::writeRandomWhisperModel(modelPath, quaro::testing::WhisperDims::base()))
        return 1;
    auto model = WhisperModel::load(modelPath);
    auto store = QuaroStore::open(root / "quaro.sqlite");
    if (!model || !store) {
        std::fprintf(stderr, "cannot load the model or open the store\n");
        return 1;
    }
    CappedWhisperEngine engine(*model);
    PlayingDevice device(note(30.0));
    QuaroStore& inbox = *store;
    Bench bench{inbox, device};
    CaptureHooks hooks;
    hooks.choice = [&] {
        CaptureChoice c;
        c.languageID = "en-US";
        c.liveTranscription = bench.live;
        return c;
    };
    std::size_t pending = 0;
    hooks.reload = [&] {
        auto recados = inbox.recados(RecadoStatus::pendente, std::nullopt, std::nullopt, 100000);
        bench.filed = recados && recados->size() > pending;
    };
    CaptureFlow flow(inbox, device, engine, root / "Audio", hooks);
    bench.flow = &flow;
    const auto record = [&] {
        auto recados = inbox.recados(RecadoStatus::pendente, std::nullopt, std::nullopt, 100000);
        pending = recados ? recados->size() : 0;
        return bench.record();
    };

    double load[1] = {0};
    std::printf("live bench: 30 s note, random-weight base model, %u cores, decoder capped at 3 tokens/s, "
                "load average %.2f\n",
                std::thread::hardware_concurrency(), getloadavg(load, 1) == 1 ? load[0] : -1.0);
    std::vector<double> onWall, onCpu, offWall, offCpu;
    int stretches = 0;
    for (int i = 0; i < runs; ++i) {
        bench.live = true;
        const auto f = record();
        onWall.push_back(f.wall);
        onCpu.push_back(f.cpu);
        stretches = f.stretches;
        std::printf("  live on:  %.2f s (CPU %.2f s; %d stretches before the stop)\n", f.wall, f.cpu, f.stretches);
        std::fflush(stdout);
    }
    for (int i = 0; runs > 0 && i < runs / 2 + 1; ++i) {
        bench.live = false;
        const auto f = record();
        offWall.push_back(f.wall);
        offCpu.push_back(f.cpu);
        std::printf("  live off: %.2f s (CPU %.2f s)\n", f.wall, f.cpu);
        std::fflush(stdout);
    }
    std::printf("second press -> pendente, median: live %.2f s (CPU %.2f s, %d stretches) | single pass %.2f s "
                "(CPU %.2f s)   [target live <= 1.5 s]\n",
                median(onWall), median(onCpu), stretches, median(offWall), median(offCpu));
    std::printf("load average %.2f at the end\n", getloadavg(load, 1) == 1 ? load[0] : -1.0);

    // Resident memory over 20 recordings in a row (3 s each, live on).
    device.setNote(note(3.0));
    bench.live = true;
    std::vector<double> resident, shortWall, shortCpu;
    for (int i = 0; i < 20; ++i) {
        const auto f = record();
        shortWall.push_back(f.wall);
        shortCpu.push_back(f.cpu);
        resident.push_back(static_cast<double>(residentKiB()) / 1024.0);
    }
    std::printf("3 s notes, live on (the tail alone is left at the stop): second press -> pendente median %.2f s "
                "(CPU %.2f s)\n",
                median(shortWall), median(shortCpu));
    std::printf("resident memory over 20 recordings: after 1st %.1f MiB, 5th %.1f MiB, 10th %.1f MiB, 20th %.1f MiB\n",
                resident[0], resident[4], resident[9], resident[19]);
    return 0;
}
